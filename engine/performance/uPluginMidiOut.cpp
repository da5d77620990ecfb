// MIDI out: a note-on for every note the arpeggiator starts, and a note-off for it when the
// note ends (its voice released, stolen or given another note, everything stopped), stamped
// with the running sample of the block. Audio thread; the all-off also from the editor thread.
#include "engine/APlugin.h"

#include <emmintrin.h>

namespace {
constexpr int kArpPlayMode = 8;
} // namespace

void APlugin::sendMidiOut(int status, int data1, int data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    // The running sample inside the block: never negative, never past the block.
    VstInt32 delta = blockSampleIndex;
    if (delta < 0) delta = 0;
    if (blockLength > 0 && delta >= blockLength) delta = blockLength - 1;
    event.deltaFrames = delta;
    event.flags = kVstMidiEventIsRealtime;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1 & 0x7F);
    event.midiData[2] = static_cast<char>(data2 & 0x7F);
    VstEvents block{};
    block.numEvents = 1;
    block.events[0] = reinterpret_cast<VstEvent*>(&event);
    sendVstEventsToHost(&block);
}

void APlugin::endOutNotesOfVoice(int voice) {
    // Every key-up and voice steal passes here; without the arpeggiator's MIDI out no note is
    // on, and one look at the 128 flags says so.
    __m128i any = _mm_setzero_si128();
    for (int k = 0; k < 128; k += 16)
        any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(outNoteOn + k)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF) return;
    for (int key = 0; key < 128; ++key) {
        if (!outNoteOn[key] || outNoteVoice[key] != voice) continue;
        outNoteOn[key] = 0;
        sendMidiOut(0x80 + outNoteChannel[key], key, 0);
    }
}

void APlugin::endAllOutNotes() {
    for (int key = 0; key < 128; ++key) {
        if (!outNoteOn[key]) continue;
        outNoteOn[key] = 0;
        sendMidiOut(0x80 + outNoteChannel[key], key, 0);
    }
}

void APlugin::sendArpNoteOut(int voice, int key, float offset, int velocity, bool retrigger) {
    if (getPlayMode() != kArpPlayMode || midiOutChannel < 0 || midiOutChannel > 15) return;
    const int outKey = static_cast<int>(offset) + key;
    if (outKey < 1 || outKey > 127) return;
    // A held (tied) step keeps its note sounding; anything else ends the voice's old note.
    if (!retrigger && outNoteOn[outKey] && outNoteVoice[outKey] == voice) return;
    endOutNotesOfVoice(voice);
    if (outNoteOn[outKey]) {
        outNoteOn[outKey] = 0;
        sendMidiOut(0x80 + outNoteChannel[outKey], outKey, 0);
    }
    sendMidiOut(0x90 + midiOutChannel, outKey, velocity);
    outNoteOn[outKey] = 1;
    outNoteVoice[outKey] = voice;
    outNoteChannel[outKey] = static_cast<uint8_t>(midiOutChannel);
}
