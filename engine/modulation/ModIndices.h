// Named source and destination indices of the modulation matrix (SRC_STR and DEST_STR
// entries) that the modulation units address directly. Compile-time constants.
#pragma once

namespace src {
constexpr int CenterNote = 6;
constexpr int Velocity = 17;
constexpr int Osc1ZekX = 68; // 68..72 pad 0, 73..77 pad 1: X, X uni, Y, Y uni, distance
constexpr int Osc2ZekX = 73;
constexpr int MainLfo = 60;
constexpr int FreeLfo1 = 62;
constexpr int FreeLfo2 = 64;
constexpr int FreeLfo12 = 66;
constexpr int FreeLfo12Uni = 67;
constexpr int GaterLeft = 78;
constexpr int GaterRight = 79;
constexpr int GaterAverage = 80;
constexpr int Ribbon = 81;
constexpr int Input = 89;
constexpr int Osc1Output = 90;
constexpr int VoiceOutput = 99;
constexpr int Output = 100;
constexpr int WhiteNoise = 102;
constexpr int WhiteNoiseUni = 103;
constexpr int PinkNoise = 104;
constexpr int PinkNoiseUni = 105;
} // namespace src

namespace dest {
constexpr int MainVolume = 1;
constexpr int VoiceVolume = 2;
constexpr int GlobalPitch = 8;
constexpr int GlobalLfoSpeed = 12;
constexpr int Osc1Volume = 16;
constexpr int Osc1ZekX = 34;     // pad 1: 84
constexpr int Osc1ZekY = 35;     // pad 1: 85
constexpr int Osc1ZekSpeed = 39; // pad 1: 89
constexpr int Osc1LfoSpeed = 45;
constexpr int Osc2Volume = 64;
constexpr int Osc2ZekX = 84;
constexpr int Osc2ZekY = 85;
constexpr int Osc2ZekSpeed = 89;
constexpr int Osc2LfoSpeed = 95;
constexpr int FilterFrequency = 114;
constexpr int FilterEnvAmount = 119;
constexpr int MainLfoToFilter = 128;
constexpr int HpFrequency = 130;
constexpr int GaterMix = 228;
constexpr int GaterSpeed = 229;
constexpr int GaterSwing = 230;
constexpr int GaterSmooth = 231;
constexpr int GaterAttack = 232;
constexpr int GaterDecay = 233;
constexpr int GaterPan = 234;
constexpr int FreeLfo12Amount = 303;
constexpr int RibbonValue = 304;
constexpr int RibbonSpeed = 305;
constexpr int RibbonSmooth = 306;
constexpr int SlotAmountFirst = 307; // 307..322: the amount of slot 1..16
} // namespace dest

// The destinations of each LFO (Free LFO 1, Free LFO 2, Main LFO), in the order speed, phase,
// shape, delay, smooth, bias, bits, sample-and-hold, humanise.
enum LfoDest {
    kLfoSpeed,
    kLfoPhase,
    kLfoShape,
    kLfoDelay,
    kLfoSmooth,
    kLfoBias,
    kLfoBits,
    kLfoHold,
    kLfoHumanise,
    kLfoDestCount
};
inline constexpr int LFO_DEST_FIRST[3] = {285, 294, 254};
