// Modulation sources the arpeggiator writes and destinations it reads (SRC_STR and DEST_STR
// indexes), and the values of its mode switches. Shared by the uPluginArp* units.
#pragma once

namespace arp {

// Sources.
constexpr int SrcOn = 82;
constexpr int SrcTune = 83;
constexpr int SrcVelocity = 84;
constexpr int SrcFree1 = 85;
constexpr int SrcSmoothFree1 = 86;
constexpr int SrcFree2 = 87;
constexpr int SrcSmoothFree2 = 88;

// Destinations.
constexpr int DestSpeed = 235;
constexpr int DestSteps = 236;
constexpr int DestLoopStart = 237;
constexpr int DestSwing = 238;
constexpr int DestNoteLength = 239;
constexpr int DestSlide = 240;
constexpr int DestVelocityKey = 241;
constexpr int DestRatchetVelocity = 242;
constexpr int DestSmooth = 243;
constexpr int DestSmoothAttack = 244;
constexpr int DestSmoothDecay = 245;

// "Arp Play Mode".
constexpr int PlayA = 0, PlayB = 1, PlayTop = 2, PlayJoin = 3;
// "Arp Mode".
constexpr int Up = 0, Down = 1, UpDown = 2, DownUp = 3, Random = 4, Ordered = 5, ReverseOrdered = 6,
              OrderedUpDown = 7, OrderedDownUp = 8, Chord = 9, Sequencer = 10, SequenceRestart = 11,
              SequenceLegato = 12, ModFree = 13, ModMono = 14, ModPoly = 15;
// "Arp Loop Mode".
constexpr int LoopOn = 0, LoopOff = 1, LoopPingPong = 2;
// "Arp Tied Mode".
constexpr int TieNormal = 0, TieSpecial = 1, TieToggle1 = 2, TieToggle2 = 3;
// "Arp Start Catchup".
constexpr int CatchupAll = 0, CatchupEven = 1, CatchupOdd = 2;
// "Arp Ratchet Mode".
constexpr int RatchetOff = 0, RatchetOn = 1, RatchetOffOn = 2, RatchetOnOff = 3, Ratchet2Off1On = 4,
              Ratchet3Off1On = 5, Ratchet1On2Off = 6, Ratchet1On3Off = 7, RatchetVelocity = 8;

// The engine's play mode while the arpeggiator plays.
constexpr int PlayModeArp = 8;

inline bool isNoteOrder(int mode) {
    return mode >= Up && mode <= OrderedDownUp;
}
inline bool isSequencer(int mode) {
    return mode >= Sequencer && mode <= SequenceLegato;
}
inline bool isModArp(int mode) {
    return mode >= ModFree && mode <= ModPoly;
}
// Modes that keep a list of held keys; the others play the last key pressed.
inline bool usesKeyList(int mode) {
    return mode <= Chord;
}

} // namespace arp
