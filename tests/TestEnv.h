// What the test run itself is: a sanitizer build (which renders many times slower, so the longest
// tests play a shorter form) and a CI run (where a test that cannot run must fail, not skip, so
// that a stage cannot pass by checking nothing).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace testenv {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// CI sets CI=true; a developer's machine may lack a display or a comma-decimal locale.
inline bool underCI() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::strcmp(ci, "false") != 0 && std::strcmp(ci, "0") != 0;
}

} // namespace testenv

// Skips the test with its reason, or fails it under CI, where everything it needs is installed.
#define ZEK2_CANNOT_RUN(why)                                                                       \
    do {                                                                                           \
        if (testenv::underCI())                                                                    \
            FAIL() << "cannot run under CI: " << (why);                                            \
        else                                                                                       \
            GTEST_SKIP() << (why);                                                                 \
    } while (0)
