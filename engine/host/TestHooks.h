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
// A turn on the program record found the apply holding it and waits for it to let go. (A
// parameter write never waits: it takes no turn.)
void turnWaitsForApply();
// A turn holds the program record and has not yet done its work: it waits here while the test
// holds it.
void turnHoldsRecord();
// A load is about to fetch the tuning its sound names, on its own thread, before it raises the
// apply: it waits here while the test holds it.
void tuningFetch();
// The points below are held through ZEK2HoldAt with their number.
// 0: a parameter write has stored its value in the program record, not yet in the value sets.
void valueHalfStored();
// 1: a write of a user-wave point has counted its begin and not yet stored the value.
void pointWriteBegun();
// 2: a write of a user-wave point has stored the value and not yet counted itself done.
void pointWriteStored();
// 3: a write-back of smoothed points comes to a point and has not yet looked at its counts.
void writeBackPoint();
// 4: a write-back of smoothed points has looked at a point's counts and not yet stored it.
void writeBackStore();
// 5: the editor's rebuild of a user wave has read the points and not yet written any back.
void waveRebuildRead();
// 6: the tuning follower has read the file of the name it found, outside the lock, and not yet
// looked at the name again under the lock.
void followerRead();
// 7: the tuning follower's thread has done one pass of its work.
void followerDone();
#endif

} // namespace testhook

#ifdef ZEK2_TEST_HOOKS
#define ZEK2_TEST_HOOK(point) testhook::point()
#else
#define ZEK2_TEST_HOOK(point) static_cast<void>(0)
#endif
