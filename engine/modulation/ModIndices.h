// Named source and destination indices of the modulation matrix (SRC_STR and DEST_STR
// entries) that the engine's units address directly. Compile-time constants.
#pragma once

namespace src {
constexpr int ModWheel = 1;
constexpr int ModWheelOrAftertouch = 2;
constexpr int ChannelAftertouch = 3;
constexpr int PolyAftertouch = 4;
constexpr int CenterNote = 6;
constexpr int Velocity = 17;
constexpr int PitchBend = 18;
constexpr int ControllerFirst = 19; // 19..39: "CC 2 (Breath)" .. "CC 114", smoothed per voice
constexpr int ControllerLast = 39;
// Envelope sources, each value followed by 1 - value: the first sub-voice's oscillator
// envelopes (Osc 1 amp, Osc 1 pitch, Osc 2 amp, Osc 2 pitch), then the voice's filter, amp and
// free envelopes.
constexpr int Osc1AmpEnv = 40;
constexpr int Osc2AmpEnv = 44;
constexpr int FilterEnv = 48;
constexpr int AmpEnv = 50;
constexpr int FreeEnv1 = 52;
constexpr int FreeEnv2 = 54;
constexpr int MainLfo = 60;
constexpr int MainLfoUni = 61;
constexpr int FreeLfo1 = 62;
constexpr int FreeLfo2 = 64;
constexpr int FreeLfo12 = 66;
constexpr int FreeLfo12Uni = 67;
// Each pad's five sources: X, X uni, Y, Y uni, distance.
constexpr int Osc1ZekX = 68;
constexpr int Osc2ZekX = 73;
constexpr int ZekSourceCount = 5;
constexpr int GaterLeft = 78;
constexpr int GaterRight = 79;
constexpr int GaterAverage = 80;
constexpr int Ribbon = 81;
constexpr int Input = 89;
constexpr int Osc1Output = 90;
constexpr int PathOutputFirst =
    93; // 93..98: path positions 1..6 ("Filter Output" .. "Post-EQ Output")
constexpr int VoiceOutput = 99;
constexpr int Output = 100;
constexpr int Offset = 101;
constexpr int WhiteNoise = 102;
constexpr int WhiteNoiseUni = 103;
constexpr int PinkNoise = 104;
constexpr int PinkNoiseUni = 105;
} // namespace src

namespace dest {
constexpr int MainVolume = 1;
constexpr int VoiceVolume = 2;
constexpr int VelocityShape = 4;
constexpr int GlobalPitch = 8; // octaves
constexpr int GlobalFinePitch = 9;
constexpr int GlobalEnvSpeed = 11;
constexpr int GlobalLfoSpeed = 12;
constexpr int UnisonAmount = 13;
constexpr int UnisonSpread = 14;
constexpr int FilterFrequency = 114;
constexpr int FilterPan = 118;
constexpr int FilterEnvAmount = 119;
constexpr int FilterEnvSpeed = 120;
constexpr int MainLfoToFilter = 128;
constexpr int HpFrequency = 130;
constexpr int GaterMix = 228;
constexpr int GaterSpeed = 229;
constexpr int GaterSwing = 230;
constexpr int GaterSmooth = 231;
constexpr int GaterAttack = 232;
constexpr int GaterDecay = 233;
constexpr int GaterPan = 234;
constexpr int AmpEnvSpeed = 246;
constexpr int FreeEnv1Speed = 263;
constexpr int FreeEnv1KeyTrack = 272;
constexpr int FreeEnv1VelocityTrack = 273;
constexpr int FreeEnv2Speed = 274;
constexpr int FreeEnv2KeyTrack = 283;
constexpr int FreeEnv2VelocityTrack = 284;
// The two free envelopes' speed and tracking destinations, by envelope.
inline constexpr int FreeEnvSpeed[2] = {FreeEnv1Speed, FreeEnv2Speed};
inline constexpr int FreeEnvKeyTrack[2] = {FreeEnv1KeyTrack, FreeEnv2KeyTrack};
inline constexpr int FreeEnvVelocityTrack[2] = {FreeEnv1VelocityTrack, FreeEnv2VelocityTrack};
// The envelopes' shape destinations: attack shape, then decay and release shape after it.
constexpr int AmpEnvAttackShape = 251;
constexpr int FilterEnvAttackShape = 125;
constexpr int FreeEnv1AttackShape = 269;
constexpr int FreeEnv2AttackShape = 280;
constexpr int FreeLfo12Amount = 303;
constexpr int RibbonValue = 304;
constexpr int RibbonSpeed = 305;
constexpr int RibbonSmooth = 306;
constexpr int SlotAmountFirst = 307; // 307..322: the amount of slot 1..16
} // namespace dest

// Oscillator 1's destinations; oscDest() maps them to oscillator o's. Oscillator 2's follow
// oscillator 1's in the same order, shifted by 48 up to the spread destinations and by 50
// after its two extra entries (mod amount and sync).
namespace oscdest {
constexpr int Volume = 16, Pan = 17, UpPan = 18, DownPan = 19, Octave = 20, Semi = 21, UpSemi = 22,
              DownSemi = 23, Fine = 24, Spread = 25, UpSpread = 26, DownSpread = 27, Symmetry = 28,
              Feedback = 29, Phase = 30, Wrap = 31, WrapSymmetry = 32, Bits = 33, ZekX = 34,
              ZekY = 35, ZekAmount = 36, ZekLfoX = 37, ZekLfoY = 38, ZekSpeed = 39, SubVolume = 40,
              SubTune = 41, SubSymmetry = 42, SubPhase = 43, SubPan = 44, LfoSpeed = 45,
              LfoToPwm = 46, LfoToAmp = 47, LfoToPitch = 48, LfoKeyTrack = 49, AmpEnvSpeed = 50,
              AmpEnvAmount = 51, AmpEnvKeyTrack = 56, PitchEnvSpeed = 57, PitchEnvAmount = 58,
              PitchEnvKeyTrack = 63;
constexpr int Osc2ModAmount = 76, Osc2Sync = 77;
} // namespace oscdest

constexpr int oscDest(int osc, int dest1) {
    return osc == 0 ? dest1 : (dest1 <= oscdest::DownSpread ? dest1 + 48 : dest1 + 50);
}
static_assert(oscDest(1, oscdest::Volume) == 64 && oscDest(1, oscdest::DownSpread) == 75 &&
                  oscDest(1, oscdest::ZekX) == 84 && oscDest(1, oscdest::PitchEnvKeyTrack) == 113,
              "oscillator 2's destinations: \"Osc 2 Volume\", \"Osc 2 Down Spread\", "
              "\"Osc 2 ZEK X\", \"Osc 2 Pitch Envelope Key Track\"");

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
