// A host thread that makes one call into the plug-in and ends inside it: at the callback
// `callback` of the call, by pthread_exit or by a cancel it acts on there, or (callback -1) by a
// cancel the host asked before the call. An exit unwinds through the plug-in; a cancel must act
// only in the host's own code, once the call has returned.
#pragma once

#include "TestHost.h"

#include <pthread.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

#include <functional>

namespace testhost {

struct EndingCall {
    Plugin* plugin;
    std::function<void(Plugin&)> enter;
    VstInt32 callback;
    bool cancel;
    // How the host answers the call's other callbacks before that one, if at all.
    std::function<void(VstInt32 opcode)> answer = nullptr;
    bool reached = false;
    bool returned = false; // the call came back to the host's code

    // Runs the call on a thread of its own and waits for the thread's end; answers the thread's
    // result (PTHREAD_CANCELED for a cancel).
    void* run() {
        pthread_t thread;
        if (pthread_create(&thread, nullptr, body, this) != 0) return this;
        void* result = this;
        pthread_join(thread, &result);
        hostReentry() = nullptr;
        return result;
    }

private:
    // Before a point where the thread may end: the address sanitizer does not see glibc's
    // unwind leave the frames it skips, whose guard zones would stand as if still in use.
    static void mayEndHere() {
#if defined(__SANITIZE_ADDRESS__)
        __asan_handle_no_return();
#endif
    }
    static void* body(void* arg) {
        auto& call = *static_cast<EndingCall*>(arg);
        const pthread_t self = pthread_self();
        if (call.callback < 0) {
            call.reached = true;
            pthread_cancel(self);
        }
        hostReentry() = [&call, self](VstInt32 op, VstInt32) {
            if (!pthread_equal(pthread_self(), self) || call.reached) return;
            if (op != call.callback) {
                if (call.answer) call.answer(op);
                return;
            }
            call.reached = true;
            mayEndHere();
            if (!call.cancel) pthread_exit(nullptr);
            pthread_cancel(self);
            pthread_testcancel();
        };
        call.enter(*call.plugin);
        call.returned = true;
        mayEndHere();
        pthread_testcancel(); // in the host's own code
        return nullptr;
    }
};

} // namespace testhost
