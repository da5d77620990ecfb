// The MIDI event queue and its dispatch: processEvents copies the host's events before each
// block, processMidi hands each one on at its sample inside the render loop. Notes go to the
// note road, pressure, bend and controllers into the source arrays. Host audio thread.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "platform/prefs.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kPolyMPE = 1;
constexpr int kArpPlayMode = 8;
constexpr int kPitchBendSource = 18;
constexpr float kTakeOverWindow = 0.025f;

} // namespace

int32_t APlugin::maxMidiDelay() const {
    const int32_t second = static_cast<int32_t>(engineRate);
    return second > 1 ? second : 1;
}

VstInt32 APlugin::processEvents(VstEvents* events) {
    if (!events) return 1;
    const int32_t maxDelay = maxMidiDelay();
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
            // A negative offset is due at once. A far-future one from a faulty host waits at
            // most a second, so a full queue of them cannot lock every later note out.
            if (record.deltaFrames < 0) record.deltaFrames = 0;
            if (record.deltaFrames > maxDelay) record.deltaFrames = maxDelay;
            record.reserved1 = 99;
            ++pendingMidiEvents;
            if (slot > midiSlotHigh) midiSlotHigh = slot;
            break;
        }
    }
    return 1;
}

// Whether a queued event is handled at this sample.
bool APlugin::isMidiDue() const {
    for (int slot = 1; slot <= midiSlotHigh; ++slot)
        if (midiEventSlots[slot].deltaFrames == 0) return true;
    return false;
}

void APlugin::processMidi(long) {
    // Every occupied slot counts down once per sample; the ones at zero are due now, in slot
    // order.
    const int high = midiSlotHigh;
    for (int slot = 1; slot <= high; ++slot) {
        VstMidiEvent& record = midiEventSlots[slot];
        if (record.deltaFrames == kMidiSlotFree) continue;
        if (record.deltaFrames > 0) {
            --record.deltaFrames;
            continue;
        }
        const VstMidiEvent event = record;
        record.deltaFrames = kMidiSlotFree;
        if (pendingMidiEvents <= 0) {
            pendingMidiEvents = 0;
            break;
        }
        --pendingMidiEvents;
        const int channel = static_cast<unsigned char>(event.midiData[0]) & 0x0F;
        if (applyingPreset) continue;
        if (midiInChannel != -1 && midiInChannel != channel) continue;
        handleMidiEvent(event);
    }
    if (pendingMidiEvents <= 0) midiSlotHigh = 0;
}

void APlugin::handleMidiEvent(const VstMidiEvent& event) {
    const int status = static_cast<unsigned char>(event.midiData[0]);
    const int channel = status & 0x0F;
    const int data1 = event.midiData[1] & 0x7F;
    const int data2 = event.midiData[2] & 0x7F;
    const bool mpe = getPlayMode() == kPolyMPE;

    switch (status & 0xF0) {
    case 0x90:
        if (data2 > 0) {
            if (arpKeyEntryOn)
                doArpKeyEntry(data1, data2);
            else
                midiNoteDown(data1, data2, channel);
            break;
        }
        [[fallthrough]]; // velocity 0 is a release
    case 0x80:
        if (arpKeyEntryOn)
            doArpKeyEntryRelease();
        else
            midiNoteRelease(data1, data2, channel);
        break;
    case 0xA0: {
        const float value = data2 / 127.0f;
        if (mpe) {
            for (int v = 0; v < kNumVoices; ++v)
                if (voiceChannel[v] == channel) voicePolyPressure[v] = value;
            channelPolyPressure[channel] = value;
            break;
        }
        bool matched = false;
        for (int v = 0; v < kNumVoices; ++v)
            if (voiceNote[v] == data1 && isVoiceBusy(v)) {
                voicePolyPressure[v] = value;
                matched = true;
            }
        if (!matched)
            for (float& p : voicePolyPressure) p = value;
        break;
    }
    case 0xB0:
        doControlChange(data1, data2 / 127.0f, channel);
        break;
    case 0xD0: {
        const float value = data1 / 127.0f;
        for (int v = 0; v < kNumVoices; ++v)
            if (!mpe || voiceChannel[v] == channel) voiceChannelPressure[v] = value;
        if (mpe) channelPressure[channel] = value;
        break;
    }
    case 0xE0: {
        // 8192 is the centre: -1 at 0, 8191/8192 at the top.
        const float bend = static_cast<float>(128 * data2 + data1) / 8192.0f - 1.0f;
        for (int v = 0; v < kNumVoices; ++v)
            if (!mpe || voiceChannel[v] == channel) voiceSource[v][kPitchBendSource] = bend;
        if (mpe) channelMidiSource[channel][kPitchBendSource] = bend;
        pitchBend = bend;
        lastVoiceSource[kPitchBendSource] = bend;
        break;
    }
    default: // program change, system messages
        break;
    }
}

void APlugin::doControlChange(int cc, float value, int channel) {
    switch (cc) {
    case 1:
        for (int v = 0; v < kNumVoices; ++v)
            if (getPlayMode() != kPolyMPE || voiceChannel[v] == channel) voiceModWheel[v] = value;
        if (getPlayMode() == kPolyMPE) channelModWheel[channel] = value;
        modWheel = value;
        break;
    case 2:
    case 3:
    case 4:
        setModSrc(cc + 17, value, channel); // sources 19..21
        break;
    case 7:
        midiVolume = value;
        break;
    case 11:
        setModSrc(22, value, channel);
        break;
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        setModSrc(cc + 7, value, channel); // sources 23..28
        break;
    case 64:
        setModSrc(29, value, channel);
        doSustainPedal(value > 0.5f);
        break;
    case 74:
        setModSrc(30, value, channel);
        break;
    case 84:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
    case 90:
        setModSrc(cc - 53, value, channel); // sources 31..37
        break;
    case 113:
    case 114:
        setModSrc(cc - 75, value, channel); // sources 38, 39
        break;
    case 120:
    case 121:
    case 123:
        // All sound off, reset all controllers, all notes off: never learnt, never mapped.
        setEverythingOff(true);
        return;
    default:
        break;
    }

    if (midiLearnArmed) {
        const int learnTag = midiLearnTag;
        if (isValidTag(learnTag)) {
            midiCCMap[cc] = learnTag;
            midiCaptureValues[learnTag] = getParameter(learnTag);
            midiCaptureCaught[learnTag] = 0;
            setMIDICCFromAudio(cc, learnTag);
        }
        midiLearnArmed = false;
    }

    const int mapped = midiCCMap[cc];
    if (mapped != 0 && isValidTag(mapped)) {
        // Soft take-over: a controller far from the value it would replace waits until it
        // passes near it, so the sound does not jump.
        const bool capture = getRegisterIsOnAudio(AudioPrefSwitch::MIDICapture, true);
        bool apply = true;
        if (capture && !midiCaptureCaught[mapped]) {
            apply = std::fabs(value - midiCaptureValues[mapped]) < kTakeOverWindow;
            if (apply) midiCaptureCaught[mapped] = 1;
        }
        if (apply) setParameter(mapped, value);
        if (mapped == tag::Osc1ZekX || mapped == tag::Osc1ZekY) xyMidiChanged[0] = 1;
        if (mapped == tag::Osc2ZekX || mapped == tag::Osc2ZekY) xyMidiChanged[1] = 1;
        editorRefreshPending = true;
    }
    if (mapped == tag::RibbonValue && getRegisterIsOnAudio(AudioPrefSwitch::MIDISpring, true))
        ribbonSpringCountdown = 4;
}

void APlugin::doSustainPedal(bool down) {
    const bool wasHolding = arpPedalHold;
    sustainPedal = 0;
    arpPedalHold = 0;
    const bool mpe = getPlayMode() == kPolyMPE;
    for (int v = 0; v < kNumVoices; ++v) {
        voiceSustained[v] = 0;
        // Poly MPE releases by key and channel; clearing the channel would hang the note.
        if (!mpe) voiceChannel[v] = -1;
    }
    const bool arp = getPlayMode() == kArpPlayMode;
    if (down) {
        if (arp) {
            if (!wasHolding) arpHeldReleaseCount = 0;
            arpPedalHold = 1;
            return;
        }
        sustainPedal = 1;
        // A voice already releasing audibly is not caught again.
        for (int v = 0; v < kNumVoices; ++v)
            voiceSustained[v] = voicePressed[v] || voiceLevel[v] <= 0.001f;
        return;
    }
    if (arp && wasHolding) {
        // The keys let go while the pedal held them leave the arpeggio now.
        const int count = arpHeldReleaseCount;
        for (int i = 0; i < count && i < kArpHeldReleases; ++i)
            midiNoteRelease(arpHeldReleases[i], 0, 0);
    }
}

void APlugin::doArpKeyEntry(int key, int velocity) {
    const int pattern = isEditorOpen() ? getEditorArp() : 0;
    const int offset = (pattern == 1 ? tag::SeqStride : 0) + (arpEntryStep & 15);
    setOn(tag::SeqStepOnA + offset);
    setOff(tag::SeqStepTiedA + offset);
    setOff(tag::SeqStepSlideA + offset);
    float tune = (key - 60 + 0.1f) / 72.99f + 0.5f;
    tune = tune < 0.0f ? 0.0f : (tune > 1.0f ? 1.0f : tune);
    const float level = velocity / 127.0f;
    setParameter(tag::SeqStepTuneA + offset, tune);
    setParameter(tag::SeqStepVelA + offset, level > 1.0f ? 1.0f : level);
    setToDefault(tag::SeqStepFree1A + offset);
    setToDefault(tag::SeqStepFree2A + offset);
    setToDefault(tag::SeqStepRatchetA + offset);
    editorRefreshPending = true;
    turnAllVoicesOff();
    // The key is auditioned on voices 0..14 in turn.
    currentVoice = (currentVoice + 1) % 15;
    voicePressed[currentVoice] = 1;
    setNotePressed(currentVoice, key, velocity, 0.0f, true, false, true);
    voiceSustained[currentVoice] = sustainPedal;
}

void APlugin::doArpKeyEntryRelease() {
    const int pattern = isEditorOpen() ? getEditorArp() : 0;
    const int base = pattern == 1 ? tag::SeqStride : 0;
    const int steps = getArpNumOfSteps(pattern);
    int step = arpEntryStep + 1;
    while (step < steps && (!getLockVarOnOff(tag::SeqStepOnA + base + step) ||
                            getLockVarOnOff(tag::SeqStepTiedA + base + step)))
        ++step;
    if (step >= steps) {
        if (steps != 0) {
            setOff(tag::ArpKeyEntryOn);
            arpKeyEntryOn = 0;
            arpEntryStep = 0;
        }
    } else {
        arpEntryStep = step;
    }
    turnAllVoicesOff();
}
