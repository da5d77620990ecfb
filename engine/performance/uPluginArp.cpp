// The arpeggiator and step sequencer (audio thread): its key list, start test and the mod
// arps. Least forms until the arpeggiator is built: the key list is kept, nothing plays.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

#include <utility>

void APlugin::initArp(bool clearHeld) {
    arpModRunning = 0;
    if (clearHeld) arpHeldCount = 0;
}

void APlugin::doNoZeroArp() {
    int n = 0;
    for (int i = 0; i < arpHeldCount && i < kArpKeys; ++i) {
        if (arpHeldNotes[i] <= 0) continue;
        arpHeldNotes[n] = arpHeldNotes[i];
        arpHeldVelocities[n] = arpHeldVelocities[i];
        ++n;
    }
    arpHeldCount = n;
}

void APlugin::doSortArp() {
    for (int i = 0; i < arpHeldCount; ++i) {
        arpSortedNotes[i] = arpHeldNotes[i];
        arpSortedVelocities[i] = arpHeldVelocities[i];
    }
    for (int i = 0; i < arpHeldCount; ++i)
        for (int j = 0; j + 1 < arpHeldCount - i; ++j)
            if (arpSortedNotes[j] > arpSortedNotes[j + 1]) {
                std::swap(arpSortedNotes[j], arpSortedNotes[j + 1]);
                std::swap(arpSortedVelocities[j], arpSortedVelocities[j + 1]);
            }
}

// Least form: the arpeggio never starts.
void APlugin::getArpToStart() {}

// Least form: no step state to reset yet.
void APlugin::setArpFirstKey(int) {}

// Least form: the mod arps publish nothing.
void APlugin::updateArpMod(int) {}
void APlugin::setArpMod() {}
void APlugin::smoothArpFree() {}

int APlugin::getArpNumOfSteps(int pattern) const {
    const int first = tag::SeqStepsA + (pattern == 1 ? tag::SeqStride : 0);
    return getSteppedValue(first) + 1;
}

// Least form: there is no mod arp to restart yet.
void APlugin::restartModArp() {}
