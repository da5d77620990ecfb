// The hooks of the tests' hook build of the plug-in (see TestHooks.h) and the calls it exports
// beside VSTPluginMain: hold the next apply between its read and its writes, or inside its copy
// of the record into the values that play, or the next turn on the program record before its
// work, or a load's fetch of its tuning, or one of the numbered points of a parameter write, of
// a user wave's write-back and of the tuning follower; see one held, let it go, count the turns
// that waited for the apply, read the value that plays, and reach the automated write and the
// program operations that only the editor's controls, buttons and menus make. Empty elsewhere.
#include "engine/host/TestHooks.h"

#ifdef ZEK2_TEST_HOOKS
#include "engine/APlugin.h"

#include <atomic>
#include <iterator>
#include <thread>

namespace {

// One point where the next thread to pass is held until the test lets it go.
struct Hold {
    std::atomic<bool> armed{false};
    std::atomic<bool> held{false};
    void pass() {
        if (!armed.exchange(false)) return;
        held = true;
        while (held) std::this_thread::yield();
    }
    // 1 arms it, 0 lets a held thread go and disarms it; answers whether a thread is held now.
    int control(int hold) {
        if (hold == 1) armed = true;
        if (hold == 0) armed = held = false;
        return held ? 1 : 0;
    }
};
Hold applyHold, copyHold, turnHold, fetchHold;
// The points held by number (see TestHooks.h).
Hold numbered[8];
std::atomic<int> turnWaits{0};

} // namespace

void testhook::applyBetweenReadAndWrites() {
    applyHold.pass();
}

void testhook::applyCopying() {
    copyHold.pass();
}

void testhook::turnHoldsRecord() {
    turnHold.pass();
}

void testhook::tuningFetch() {
    fetchHold.pass();
}

void testhook::valueHalfStored() {
    numbered[0].pass();
}

void testhook::pointWriteBegun() {
    numbered[1].pass();
}

void testhook::pointWriteStored() {
    numbered[2].pass();
}

void testhook::writeBackPoint() {
    numbered[3].pass();
}

void testhook::writeBackStore() {
    numbered[4].pass();
}

void testhook::waveRebuildRead() {
    numbered[5].pass();
}

void testhook::followerRead() {
    numbered[6].pass();
}

void testhook::followerDone() {
    numbered[7].pass();
}

void testhook::turnWaitsForApply() {
    ++turnWaits;
}

extern "C" __attribute__((visibility("default"))) int ZEK2HoldApply(int hold) {
    return applyHold.control(hold);
}

extern "C" __attribute__((visibility("default"))) int ZEK2HoldApplyCopy(int hold) {
    return copyHold.control(hold);
}

extern "C" __attribute__((visibility("default"))) int ZEK2HoldTurn(int hold) {
    return turnHold.control(hold);
}

extern "C" __attribute__((visibility("default"))) int ZEK2HoldTuningFetch(int hold) {
    return fetchHold.control(hold);
}

// Arms (1), lets go (0) or looks at (-1) the numbered hold point `point`; -1 for no such point.
extern "C" __attribute__((visibility("default"))) int ZEK2HoldAt(int point, int hold) {
    if (point < 0 || point >= static_cast<int>(std::size(numbered))) return -1;
    return numbered[point].control(hold);
}

extern "C" __attribute__((visibility("default"))) int ZEK2TurnsThatWaited() {
    return turnWaits;
}

// The engine's automated write of a value, the one the editor's controls make.
extern "C" __attribute__((visibility("default"))) void ZEK2AutomatedWrite(AEffect* effect, int tag,
                                                                          float value) {
    static_cast<APlugin*>(static_cast<AudioEffect*>(effect->object))
        ->setParameterAutomated(tag, value);
}

// The value that plays for `tag`: the one the render reads.
extern "C" __attribute__((visibility("default"))) float ZEK2PlayingValue(AEffect* effect, int tag) {
    return static_cast<APlugin*>(static_cast<AudioEffect*>(effect->object))->getCurrentValue(tag);
}

// The program operations of the editor's compare buttons (0 as loaded, 1 as edited), its
// "Clear Preset" (2), its preset menu (3, bank preset `arg`) and its wave menu (4, the built-in
// shape that the preset tag of user wave `arg` names).
extern "C" __attribute__((visibility("default"))) void ZEK2ProgramCall(AEffect* effect, int call,
                                                                       int arg) {
    auto* plugin = static_cast<APlugin*>(static_cast<AudioEffect*>(effect->object));
    switch (call) {
    case 0:
        plugin->origProgram();
        break;
    case 1:
        plugin->editProgram();
        break;
    case 2:
        plugin->clearProgram();
        break;
    case 3:
        plugin->setDemoProgram(arg);
        break;
    case 4:
        plugin->setUserWave(arg);
        break;
    default:
        break;
    }
}
#endif
