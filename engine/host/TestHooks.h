// Points where the tests' hook build of the plug-in (ZEK2_TEST_HOOKS, the same module as the
// shortcut counts) can hold the render or note a thread's wait, so a race test can land a call
// at exactly that point instead of hoping to. In every other build a hook compiles to nothing.
#pragma once

namespace testhook {

#ifdef ZEK2_TEST_HOOKS
// The render's apply has read the program record and not yet written it back: it waits here
// while the test holds it.
void applyBetweenReadAndWrites();
// The render's apply has read the record for the values that play and not yet written them:
// it waits here while the test holds it.
void applyCopying();
// A turn on the program record found the apply holding it, or a parameter write found the
// apply copying the record, and waits for it.
void turnWaitsForApply();
// A turn holds the program record and has not yet done its work: it waits here while the test
// holds it.
void turnHoldsRecord();
// A load fetches the tuning its sound names and has not yet raised the apply: it waits here
// while the test holds it.
void tuningFetch();
#endif

} // namespace testhook

#ifdef ZEK2_TEST_HOOKS
#define ZEK2_TEST_HOOK(point) testhook::point()
#else
#define ZEK2_TEST_HOOK(point) static_cast<void>(0)
#endif
