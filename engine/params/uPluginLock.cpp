// Lock sections: the Play and Arp groups of parameters that keep a held copy across program
// changes. The state changes on the user-interface thread; the audio thread reads the held
// copy through the lock-aware reads without a lock.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

namespace {
constexpr int kPlaySectionTags[] = {
    tag::PortamentoAmount, tag::UnisonAmount,  tag::PlayMode,
    tag::PortamentoMode,   tag::PitchBendDown, tag::PitchBendUp,
    tag::UnisonSpread,     tag::UnisonDelay,   tag::UnisonDelaySyncOn};
} // namespace

void APlugin::initLockSections() {
    for (int t = 0; t < kNumParams; ++t) {
        lockValues[t] = 0.0f;
        lockSections[t] = kLockNone;
    }
    for (Relaxed<int32_t>& state : lockStates) state = 0;
    for (int t : kPlaySectionTags) lockSections[t] = kLockPlay;
    for (int t = tag::ArpFirst; t <= tag::ArpLast; ++t) lockSections[t] = kLockArp;
}

void APlugin::setLockState(int section, int state) {
    if (!validLockSection(section)) return;
    // Only free, locked and "Set" exist; anything else would read as locked forever.
    if (state < kLockFree || state > kLockSet) return;
    const int old = lockStates[section];
    // "Set" writes the held copy into the sound; on a free section that copy is stale or empty.
    if (state == kLockSet && old == kLockFree) return;
    if (state == old) return;
    lockStates[section] = state;
    if (state == kLockLocked)
        for (int t = 0; t < kNumParams; ++t)
            if (lockSections[t] == section) lockValues[t] = getParameter(t);
    if (state == kLockSet) {
        for (int t = 0; t < kNumParams; ++t)
            if (lockSections[t] == section) setParameter(t, lockValues[t]);
        lockStates[section] = kLockFree;
    }
    editorRefreshPending = true;
}

int APlugin::getLockState(int section) const {
    return validLockSection(section) ? lockStates[section] : 0;
}

int APlugin::getLockedSectionForTag(int tag) const {
    return isValidTag(tag) ? lockSections[tag] : kLockNone;
}

bool APlugin::getTagLocked(int tag) const {
    const int section = getLockedSectionForTag(tag);
    return validLockSection(section) && lockStates[section] != kLockFree;
}

float APlugin::getLockVar(int tag) const {
    if (!isValidTag(tag)) return 0.0f;
    const int section = lockSections[tag];
    if (!validLockSection(section)) return currentValues[tag];
    return lockStates[section] != kLockFree ? lockValues[tag] : programValues.values[tag];
}

int APlugin::getLockSteppedValue(int tag) const {
    if (!isValidTag(tag) || paramSteppedNums[tag] < 0) return 0;
    const float v = getTagLocked(tag) ? lockValues[tag] : currentValues[tag];
    return getSteppedValue(v, paramSteppedRanges[tag], paramSteppedNums[tag]);
}

void APlugin::setLockVar(int tag, float value) {
    if (!isValidTag(tag) || !validLockSection(lockSections[tag])) return;
    if (lockStates[lockSections[tag]] == kLockFree) setParameterAutomated(tag, value);
    lockValues[tag] = value;
}
