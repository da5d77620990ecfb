// The MIDI event queue and the voice-off services: processEvents runs on the host's audio
// thread before each block, processMidi once per sample inside the render loop.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "platform/prefs.h"

#include <cstring>

VstInt32 APlugin::processEvents(VstEvents* events) {
    if (!events) return 1;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        // The host allocates as many pointers as numEvents; the declared two are a minimum.
        VstEvent* const* list = events->events;
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) continue;
        if (pendingMidiEvents > kMidiQueueSlots - 1) break; // full: the rest are dropped
        for (int slot = 1; slot <= kMidiQueueSlots; ++slot) {
            VstMidiEvent& record = midiEventSlots[slot];
            if (record.deltaFrames != kMidiSlotFree) continue;
            std::memcpy(&record, event, sizeof(VstMidiEvent));
            // A negative offset from a confused host would leave the slot looking free or
            // never due; it is handled at the first sample instead.
            if (record.deltaFrames < 0) record.deltaFrames = 0;
            record.reserved1 = 99;
            ++pendingMidiEvents;
            break;
        }
    }
    return 1;
}

void APlugin::processMidi(long) {
    for (int slot = 1; slot <= kMidiQueueSlots; ++slot) {
        VstMidiEvent& record = midiEventSlots[slot];
        if (record.deltaFrames == kMidiSlotFree) continue;
        if (record.deltaFrames > 0) {
            --record.deltaFrames;
            continue;
        }
        if (pendingMidiEvents <= 0) {
            pendingMidiEvents = 0;
            return;
        }
        --pendingMidiEvents;
        // Notes make no sound yet: a due event is consumed and its slot freed.
        record.deltaFrames = kMidiSlotFree;
    }
}

void APlugin::turnAllVoicesOff() {}

void APlugin::initArp(bool) {}

void APlugin::setEverythingOff(bool full) {
    turnAllVoicesOff();
    currentVoice = 0;
    initArp(true);
    std::memset(noteStack, 0xFF, sizeof(noteStack));
    noteStackTop = -1;
    lastNote = -1;
    if (full) previousNotePitch = -10.0;
}

int APlugin::updateBaseNote() {
    int a4 = loadIntFromPrefs("A4");
    if (a4 < 10 || a4 > 10000) a4 = 440;
    basePitchFactor = a4 * (110.0 / engineRateDouble) / 440.0;
    return a4;
}

void APlugin::updateMIDIChannel(bool force) {
    const int in = getMIDIChannelFromPrefs("MIDIChannel");
    const int out = getMIDIChannelFromPrefs("MIDIOutChannel");
    const bool changed = in != midiInChannel || out != midiOutChannel;
    midiInChannel = in;
    midiOutChannel = out;
    if (changed || force) turnAllVoicesOff();
}

// The engine-wide reset: everything starts again silent from the current values.
void APlugin::reset() {
    turnAllVoicesOff();
    updateMIDIChannel(false);
    for (int v = 0; v < kNumVoices; ++v) {
        voiceFilters[v].reset();
        voicePreEQ[v].reset();
        voicePostEQ[v].reset();
    }
    preEQ.reset();
    postEQ.reset();
    resetFX();
    updateDistortFXMode();
}

// ---------------------------------------------------------------------------------------------
// Ribbon and modulation-slot queries

int APlugin::getRibbonQuant() const {
    return getSteppedValue(tag::RibbonQuantization);
}

int APlugin::getRibbonSpringTime() const {
    return getSteppedValue(tag::RibbonSpringTime);
}

void APlugin::setRibbonSpringOn() {
    // Step 0 ("Off") stops the spring-back; any other step lets the ribbon return to its rest.
    ribbonSpringActive = getRibbonSpringTime() != 0 ? 1 : 0;
}

int APlugin::getDestTypeForSlot(int slot) const {
    if (!isValidModSlot(slot)) return 0;
    const int dest = getSteppedValue(tag::ModDestFirst + slot);
    return modDestUnit(dest);
}
