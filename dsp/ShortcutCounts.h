// Counts of the shortcuts the render takes for speed (the work ZEK2_NO_SKIPS turns off), kept
// only by the tests' counting build of the plug-in (ZEK2_SHORTCUT_COUNTS), which exports them
// as ZEK2ShortcutCount(kind): the skip guard shows with them that its sessions take every
// shortcut, and none with the switch on. In every other build a count compiles to nothing.
#pragma once

#include <cstdint>

namespace shortcut {

// One kind per place a shortcut is taken, in families.
enum Kind : int {
    // Source rows written only while read.
    EnvRowsLeft,
    OscLfoRowsLeft,
    InputOutputRowsLeft,
    // Oscillator settings and increments left standing, the pitch's power-of-two memo.
    OscSettingsStand,
    OscLanesStand,
    OscIncrementsStand,
    OscPitchPowersKept,
    // Settled controller smoothers, the envelope-speed and unison memos.
    SmoothersSettled,
    EnvSpeedsKept,
    UnisonKept,
    // Oscillator 1 unheard (its sub-voices after the first carried).
    Osc1Carried,
    // The voice filter: settled controls, a pair of voices kept joined, the key tracking memo.
    FilterSettled,
    FilterPairHeld,
    FilterTrackKept,
    // Resting voice LFOs, the voice LFO settings' and menus' memos, the speed memos.
    VoiceLfosResting,
    VoiceLfoSettingsKept,
    VoiceLfoMenusKept,
    VoiceLfoSpeedKept,
    GlobalLfoSpeedKept,
    // The matrix: standing slot terms, the slot table and slot values, the XY replay choice.
    SlotTermsFolded,
    SlotTableKept,
    SlotValuesKept,
    XYReplayKept,
    // Quiet spans without voices, slept passes of the effect chain.
    QuietSpan,
    SleptPass,
    kKinds
};

#ifdef ZEK2_SHORTCUT_COUNTS
void taken(Kind kind);
#endif

} // namespace shortcut

#ifdef ZEK2_SHORTCUT_COUNTS
#define ZEK2_SHORTCUT_TAKEN(kind) shortcut::taken(shortcut::kind)
#else
#define ZEK2_SHORTCUT_TAKEN(kind) static_cast<void>(0)
#endif
