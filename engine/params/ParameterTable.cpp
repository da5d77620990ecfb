// Parameter table rows and families, expanded for the engine's one-time initialisation;
// called on the thread that builds the engine, before any other thread sees it.
#include "engine/params/ParameterTable.h"

#include "engine/params/ParamTags.h"

namespace {

constexpr int kCont = -1;           // step count of a continuous tag
constexpr float kContRange = -1.0f; // stepped range of a continuous tag
constexpr float kDefZero = -1.0f;   // zero value: the default

// Columns follow ParamDef: tag, default, switch, stepped range, step count, modulation
// destination, display type, name, zero value.
struct ParamRow {
    int tag;
    float defaultValue;
    bool onOff;
    float steppedRange;
    int steppedNum;
    int modDest;
    int displayType;
    const char* name;
    float zero;
};

// One row per single tag, in rising tag order.
// clang-format off
constexpr ParamRow kRows[] = {
    {tag::None, 0.0f, false, kContRange, kCont, 0, 25, "NONE", kDefZero},
    {tag::MainVolume, 0.8f, false, kContRange, kCont, 1, 4, "Main Volume", 1.0f},
    {tag::VelocityToVolume, 0.5f, false, kContRange, kCont, 3, 2, "Velocity > Volume", kDefZero},
    {tag::MainLfoToVolume, 0.0f, false, kContRange, kCont, 5, 2, "Main LFO > Volume", kDefZero},
    {tag::MainPan, 0.5f, false, kContRange, kCont, 6, 8, "Main Pan", kDefZero},
    {tag::MainLfoToPan, 0.0f, false, kContRange, kCont, 7, 2, "Main LFO > Pan", kDefZero},
    {tag::AmpEnvAttack, 0.0f, false, kContRange, kCont, 247, 14, "Amp Envelope Attack", kDefZero},
    {tag::AmpEnvDecay, 0.0f, false, kContRange, kCont, 248, 14, "Amp Envelope Decay", kDefZero},
    {tag::AmpEnvSustain, 1.0f, false, kContRange, kCont, 249, 2, "Amp Envelope Sustain", kDefZero},
    {tag::AmpEnvRelease, 0.5f, false, kContRange, kCont, 250, 14, "Amp Envelope Release", kDefZero},
    {tag::PortamentoAmount, 0.0f, false, kContRange, kCont, 10, 2, "Portamento Amount", kDefZero},
    {tag::UnisonAmount, 0.0f, false, kContRange, kCont, 13, 2, "Unison Amount", kDefZero},
    {tag::Osc1Volume, 0.748f, false, kContRange, kCont, 16, 5, "Osc 1 Volume", 1.0f},
    {tag::Osc1Pan, 0.5f, false, kContRange, kCont, 17, 8, "Osc 1 Pan", kDefZero},
    {tag::Osc1Semi, 0.5f, false, kContRange, kCont, 21, 10, "Osc 1 Semi", kDefZero},
    {tag::Osc1Fine, 0.5f, false, kContRange, kCont, 24, 11, "Osc 1 Fine", kDefZero},
    {tag::Osc1SubVolume, 0.5f, false, kContRange, kCont, 40, 6, "Osc 1 Sub Volume", kDefZero},
    {tag::Osc1Spread, 0.0f, false, kContRange, kCont, 25, 2, "Osc 1 Spread", kDefZero},
    {tag::Osc1Symmetry, 0.5f, false, kContRange, kCont, 28, 2, "Osc 1 Symmetry", kDefZero},
    {tag::Osc1LfoSpeed, 0.0f, false, kContRange, kCont, 45, 16, "Osc 1 LFO Speed", kDefZero},
    {tag::Osc1LfoToPwm, 0.0f, false, kContRange, kCont, 46, 2, "Osc 1 LFO > PWM", kDefZero},
    {tag::Osc1LfoToAmp, 0.0f, false, kContRange, kCont, 47, 2, "Osc 1 LFO > Amp", kDefZero},
    {tag::Osc1LfoToPitch, 0.0f, false, kContRange, kCont, 48, 2, "Osc 1 LFO > Pitch", kDefZero},
    {tag::Osc1AmpEnvAmount, 0.5f, false, kContRange, kCont, 51, 3, "Osc 1 Amp Envelope Amount", kDefZero},
    {tag::Osc1AmpEnvAttack, 0.0f, false, kContRange, kCont, 52, 14, "Osc 1 Amp Envelope Attack", kDefZero},
    {tag::Osc1AmpEnvDecay, 0.0f, false, kContRange, kCont, 53, 14, "Osc 1 Amp Envelope Decay", kDefZero},
    {tag::Osc1AmpEnvSustain, 1.0f, false, kContRange, kCont, 54, 2, "Osc 1 Amp Envelope Sustain", kDefZero},
    {tag::Osc1AmpEnvRelease, 0.5f, false, kContRange, kCont, 55, 14, "Osc 1 Amp Envelope Release", kDefZero},
    {tag::Osc1PitchEnvAmount, 0.5f, false, kContRange, kCont, 58, 3, "Osc 1 Pitch Envelope Amount", kDefZero},
    {tag::Osc1PitchEnvAttack, 0.0f, false, kContRange, kCont, 59, 14, "Osc 1 Pitch Envelope Attack", kDefZero},
    {tag::Osc1PitchEnvDecay, 0.0f, false, kContRange, kCont, 60, 14, "Osc 1 Pitch Envelope Decay", kDefZero},
    {tag::Osc1PitchEnvSustain, 1.0f, false, kContRange, kCont, 61, 2, "Osc 1 Pitch Envelope Sustain", kDefZero},
    {tag::Osc1PitchEnvRelease, 1.0f, false, kContRange, kCont, 62, 14, "Osc 1 Pitch Envelope Release", kDefZero},
    {tag::Osc1ZekAmount, 0.0f, false, kContRange, kCont, 36, 2, "Osc 1 Zek Amount", kDefZero},
    {tag::Osc2Volume, 0.748f, false, kContRange, kCont, 64, 5, "Osc 2 Volume", 1.0f},
    {tag::Osc2Pan, 0.5f, false, kContRange, kCont, 65, 8, "Osc 2 Pan", kDefZero},
    {tag::Osc2Semi, 0.5f, false, kContRange, kCont, 69, 10, "Osc 2 Semi", kDefZero},
    {tag::Osc2Fine, 0.5f, false, kContRange, kCont, 72, 11, "Osc 2 Fine", kDefZero},
    {tag::Osc2SubVolume, 0.5f, false, kContRange, kCont, 90, 6, "Osc 2 Sub Volume", kDefZero},
    {tag::Osc2Spread, 0.0f, false, kContRange, kCont, 73, 2, "Osc 2 Spread", kDefZero},
    {tag::Osc2ModAmount, 0.0f, false, kContRange, kCont, 76, 2, "Osc 2 Mod Amount", kDefZero},
    {tag::Osc2Symmetry, 0.5f, false, kContRange, kCont, 78, 2, "Osc 2 Symmetry", kDefZero},
    {tag::Osc2LfoSpeed, 0.0f, false, kContRange, kCont, 95, 16, "Osc 2 LFO Speed", kDefZero},
    {tag::Osc2LfoToPwm, 0.0f, false, kContRange, kCont, 96, 2, "Osc 2 LFO > PWM", kDefZero},
    {tag::Osc2LfoToAmp, 0.0f, false, kContRange, kCont, 97, 2, "Osc 2 LFO > Amp", kDefZero},
    {tag::Osc2LfoToPitch, 0.0f, false, kContRange, kCont, 98, 2, "Osc 2 LFO > Pitch", kDefZero},
    {tag::Osc2AmpEnvAmount, 0.5f, false, kContRange, kCont, 101, 3, "Osc 2 Amp Envelope Amount", kDefZero},
    {tag::Osc2AmpEnvAttack, 0.0f, false, kContRange, kCont, 102, 14, "Osc 2 Amp Envelope Attack", kDefZero},
    {tag::Osc2AmpEnvDecay, 0.0f, false, kContRange, kCont, 103, 14, "Osc 2 Amp Envelope Decay", kDefZero},
    {tag::Osc2AmpEnvSustain, 1.0f, false, kContRange, kCont, 104, 2, "Osc 2 Amp Envelope Sustain", kDefZero},
    {tag::Osc2AmpEnvRelease, 0.5f, false, kContRange, kCont, 105, 14, "Osc 2 Amp Envelope Release", kDefZero},
    {tag::Osc2PitchEnvAmount, 0.5f, false, kContRange, kCont, 108, 3, "Osc 2 Pitch Envelope Amount", kDefZero},
    {tag::Osc2PitchEnvAttack, 0.0f, false, kContRange, kCont, 109, 14, "Osc 2 Pitch Envelope Attack", kDefZero},
    {tag::Osc2PitchEnvDecay, 0.0f, false, kContRange, kCont, 110, 14, "Osc 2 Pitch Envelope Decay", kDefZero},
    {tag::Osc2PitchEnvSustain, 1.0f, false, kContRange, kCont, 111, 2, "Osc 2 Pitch Envelope Sustain", kDefZero},
    {tag::Osc2PitchEnvRelease, 1.0f, false, kContRange, kCont, 112, 14, "Osc 2 Pitch Envelope Release", kDefZero},
    {tag::Osc2ZekAmount, 0.0f, false, kContRange, kCont, 86, 2, "Osc 2 Zek Amount", kDefZero},
    {tag::FilterFrequency, 1.0f, false, kContRange, kCont, 114, 12, "Filter Frequency", kDefZero},
    {tag::FilterQ, 0.0f, false, kContRange, kCont, 116, 2, "Filter Q", kDefZero},
    {tag::FilterVowel, 0.0f, false, kContRange, kCont, 117, 0, "Filter Vowel", kDefZero},
    {tag::FilterPreDistort, 0.0f, false, kContRange, kCont, 129, 2, "Filter Pre-Distort", kDefZero},
    {tag::FilterEnvAmount, 0.0f, false, kContRange, kCont, 119, 2, "Filter Envelope Amount", kDefZero},
    {tag::FilterEnvAttack, 0.0f, false, kContRange, kCont, 121, 14, "Filter Envelope Attack", kDefZero},
    {tag::FilterEnvDecay, 0.575f, false, kContRange, kCont, 122, 14, "Filter Envelope Decay", kDefZero},
    {tag::FilterEnvSustain, 0.0f, false, kContRange, kCont, 123, 2, "Filter Envelope Sustain", kDefZero},
    {tag::FilterEnvRelease, 0.605f, false, kContRange, kCont, 124, 14, "Filter Envelope Release", kDefZero},
    {tag::MainLfoToFilterFrequency, 0.0f, false, kContRange, kCont, 128, 2, "Main LFO > Filter Frequency", kDefZero},
    {tag::HpFrequency, 0.0f, false, kContRange, kCont, 130, 12, "HP Frequency", kDefZero},
    {tag::WaveShaperMix, 0.305f, false, kContRange, kCont, 154, 9, "WaveShaper Mix", kDefZero},
    {tag::WaveShaperTop, 0.5f, false, kContRange, kCont, 155, 2, "WaveShaper Top", kDefZero},
    {tag::WaveShaperBottom, 0.48f, false, kContRange, kCont, 156, 2, "WaveShaper Bottom", kDefZero},
    {tag::WaveShaperRectification, 0.35f, false, kContRange, kCont, 157, 3, "WaveShaper Rectification", kDefZero},
    {tag::VoiceDistortionMix, 1.0f, false, kContRange, kCont, 158, 9, "Voice Distortion Mix", kDefZero},
    {tag::Distortion1, 0.5f, false, kContRange, kCont, 159, 0, "Distortion 1", kDefZero},
    {tag::Distortion2, 1.0f, false, kContRange, kCont, 160, 0, "Distortion 2", kDefZero},
    {tag::Distortion3, 0.98f, false, kContRange, kCont, 161, 0, "Distortion 3", kDefZero},
    {tag::Distortion4, 0.0f, false, kContRange, kCont, 162, 0, "Distortion 4", kDefZero},
    {tag::Distortion5, 1.0f, false, kContRange, kCont, 163, 0, "Distortion 5", kDefZero},
    {tag::Distortion6, 0.0f, false, kContRange, kCont, 164, 0, "Distortion 6", kDefZero},
    {tag::Distortion7, 0.5f, false, kContRange, kCont, 165, 0, "Distortion 7", kDefZero},
    {tag::LowFiMix, 0.5f, false, kContRange, kCont, 166, 9, "LowFi Mix", kDefZero},
    {tag::LowFiBits, 0.51f, false, kContRange, kCont, 167, 0, "LowFi Bits", kDefZero},
    {tag::LowFiSampleRate, 0.96f, false, kContRange, kCont, 168, 0, "LowFi Sample Rate", kDefZero},
    {tag::LowFiNoise, 0.0f, false, kContRange, kCont, 169, 2, "LowFi Noise", kDefZero},
    {tag::LowFiLowPassFrequency, 1.0f, false, kContRange, kCont, 170, 12, "LowFi Low-Pass Filter Frequency", kDefZero},
    {tag::DistortionFxMix, 0.25f, false, kContRange, kCont, 171, 9, "Distortion FX Mix", kDefZero},
    {tag::DistortionFx1, 0.5f, false, kContRange, kCont, 172, 0, "Distortion FX 1", kDefZero},
    {tag::DistortionFx2, 0.0f, false, kContRange, kCont, 173, 0, "Distortion FX 2", kDefZero},
    {tag::DistortionFx3, 0.0f, false, kContRange, kCont, 174, 0, "Distortion FX 3", kDefZero},
    {tag::DistortionFx4, 0.5f, false, kContRange, kCont, 175, 0, "Distortion FX 4", kDefZero},
    {tag::DistortionFx5, 0.5f, false, kContRange, kCont, 176, 0, "Distortion FX 5", kDefZero},
    {tag::DistortionFx6, 0.5f, false, kContRange, kCont, 177, 0, "Distortion FX 6", kDefZero},
    {tag::DistortionFx7, 0.0f, false, kContRange, kCont, 178, 0, "Distortion FX 7", kDefZero},
    {tag::ModFxMix, 0.416667f, false, kContRange, kCont, 180, 9, "Mod FX Mix", kDefZero},
    {tag::ModFx1, 0.48f, false, kContRange, kCont, 181, 0, "Mod FX 1", kDefZero},
    {tag::ModFx2, 0.44f, false, kContRange, kCont, 183, 0, "Mod FX 2", kDefZero},
    {tag::ModFx3, 0.42f, false, kContRange, kCont, 184, 0, "Mod FX 3", kDefZero},
    {tag::ModFx4, 0.36f, false, kContRange, kCont, 185, 0, "Mod FX 4", kDefZero},
    {tag::DelayMix, 0.19f, false, kContRange, kCont, 207, 9, "Delay Mix", kDefZero},
    {tag::DelayLeft, 0.67f, false, kContRange, kCont, 210, 0, "Delay Left", kDefZero},
    {tag::DelayRight, 0.57f, false, kContRange, kCont, 211, 0, "Delay Right", kDefZero},
    {tag::DelayFeed, 0.57f, false, kContRange, kCont, 212, 3, "Delay Feed", kDefZero},
    {tag::DelayCrossFeed, 0.5f, false, kContRange, kCont, 213, 3, "Delay Cross Feed", kDefZero},
    {tag::DelayLowPassFrequency, 0.91f, false, kContRange, kCont, 214, 12, "Delay Low-Pass Filter Frequency", kDefZero},
    {tag::DelayHighPassFrequency, 0.19f, false, kContRange, kCont, 215, 12, "Delay High-Pass Filter Frequency", kDefZero},
    {tag::ReverbMix, 0.125f, false, kContRange, kCont, 217, 9, "Reverb Mix", kDefZero},
    {tag::ReverbPreDelay, 0.69f, false, kContRange, kCont, 218, 0, "Reverb Pre-Delay", kDefZero},
    {tag::ReverbSize, 0.59f, false, kContRange, kCont, 221, 0, "Reverb Size", kDefZero},
    {tag::ReverbLength, 0.825f, false, kContRange, kCont, 222, 0, "Reverb Length", kDefZero},
    {tag::ReverbDamp, 0.305f, false, kContRange, kCont, 223, 2, "Reverb Damp", kDefZero},
    {tag::ReverbSpread, 0.305f, false, kContRange, kCont, 224, 2, "Reverb Spread", kDefZero},
    {tag::ReverbLowPassFrequency, 0.91f, false, kContRange, kCont, 225, 12, "Reverb Low-Pass Filter Frequency", kDefZero},
    {tag::ReverbHighPassFrequency, 0.19f, false, kContRange, kCont, 226, 12, "Reverb High-Pass Filter Frequency", kDefZero},
    {tag::Free1EnvAttack, 0.0f, false, kContRange, kCont, 264, 14, "Free 1 Envelope Attack", kDefZero},
    {tag::Free1EnvDecay, 0.575f, false, kContRange, kCont, 265, 14, "Free 1 Envelope Decay", kDefZero},
    {tag::Free1EnvSustain, 1.0f, false, kContRange, kCont, 266, 2, "Free 1 Envelope Sustain", kDefZero},
    {tag::Free1EnvFade, 0.5f, false, kContRange, kCont, 267, 15, "Free 1 Envelope Fade", kDefZero},
    {tag::Free1EnvRelease, 0.605f, false, kContRange, kCont, 268, 14, "Free 1 Envelope Release", kDefZero},
    {tag::Free2EnvAttack, 0.0f, false, kContRange, kCont, 275, 14, "Free 2 Envelope Attack", kDefZero},
    {tag::Free2EnvDecay, 0.575f, false, kContRange, kCont, 276, 14, "Free 2 Envelope Decay", kDefZero},
    {tag::Free2EnvSustain, 1.0f, false, kContRange, kCont, 277, 2, "Free 2 Envelope Sustain", kDefZero},
    {tag::Free2EnvFade, 0.5f, false, kContRange, kCont, 278, 15, "Free 2 Envelope Fade", kDefZero},
    {tag::Free2EnvRelease, 0.605f, false, kContRange, kCont, 279, 14, "Free 2 Envelope Release", kDefZero},
    {tag::MainLfoSpeed, 0.0f, false, 33.99f, 34, 254, 16, "Main LFO Speed", kDefZero},
    {tag::FreeLfo1Speed, 0.0f, false, kContRange, kCont, 285, 16, "Free LFO 1 Speed", kDefZero},
    {tag::FreeLfo2Speed, 0.0f, false, kContRange, kCont, 294, 16, "Free LFO 2 Speed", kDefZero},
    {tag::FreeLfo12Amount, 0.0f, false, kContRange, kCont, 303, 2, "Free LFO 1/2 Amount", kDefZero},
    {tag::RibbonValue, 0.5f, false, kContRange, kCont, 304, 3, "Ribbon Value", kDefZero},
    {tag::PlayMode, 0.0f, false, 9.99f, 9, 0, 0, "Play Mode", kDefZero},
    {tag::PortamentoMode, 0.0f, false, 4.99f, 5, 0, 0, "Portamento Mode", kDefZero},
    {tag::PitchBendDown, 0.0f, false, 15.99f, 16, 0, 0, "Pitch Bend Down", kDefZero},
    {tag::PitchBendUp, 0.0f, false, 15.99f, 16, 0, 0, "Pitch Bend Up", kDefZero},
    {tag::UnisonMode, 0.0f, false, 29.99f, 29, 0, 0, "Unison Mode", kDefZero},
    {tag::UnisonSpread, 0.0f, false, kContRange, kCont, 14, 2, "Unison Spread", kDefZero},
    {tag::UnisonDelay, 0.0f, false, kContRange, kCont, 15, 0, "Unison Delay", kDefZero},
    {tag::UnisonDelaySyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Unison Delay Sync On/Off", kDefZero},
    {tag::AnalogDriftOn, 0.0f, true, kContRange, kCont, 0, 1, "Analog Drift On/Off", kDefZero},
    {tag::GlobalTuning, 0.5f, false, kContRange, kCont, 0, 0, "Global Tuning", kDefZero},
    {tag::BrickFilterOn, 1.0f, true, kContRange, kCont, 0, 1, "Brick Filter On/Off", kDefZero},
    {tag::BrickFilterFrequency, 0.795f, false, kContRange, kCont, 0, 12, "Brick Filter Frequency", kDefZero},
    {tag::OscPath, 0.0f, false, 719.0f, 720, 0, 0, "Osc Path", kDefZero},
    {tag::Osc1On, 1.0f, true, kContRange, kCont, 0, 1, "Osc 1 On/Off", kDefZero},
    {tag::Osc1Type, 0.0f, false, 7.99f, 8, 0, 0, "Osc 1 Type", kDefZero},
    {tag::Osc1FreeRunningOn, 1.0f, true, kContRange, kCont, 0, 1, "Osc 1 Free Running On/Off", kDefZero},
    {tag::Osc1KeyTrackOn, 1.0f, true, kContRange, kCont, 0, 1, "Osc 1 Key-Track On/Off", kDefZero},
    {tag::Osc1Octave, 0.5f, false, 8.99f, 9, 20, 0, "Osc 1 Octave", kDefZero},
    {tag::Osc1OutputOn, 1.0f, true, kContRange, kCont, 0, 1, "Osc 1 Output On/Off", kDefZero},
    {tag::Osc1LfoKeyTrack, 0.5f, false, kContRange, kCont, 49, 3, "Osc 1 LFO Key Track", kDefZero},
    {tag::Osc1LfoSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 1 LFO Sync On/Off", kDefZero},
    {tag::Osc1FreeLfoOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 1 Free LFO On/Off", kDefZero},
    {tag::Osc1AmpEnvKeyTrack, 0.5f, false, kContRange, kCont, 56, 3, "Osc 1 Amp Envelope Key Track", kDefZero},
    {tag::Osc1AmpEnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 1 Amp Envelope Sync On/Off", kDefZero},
    {tag::Osc1PitchEnvKeyTrack, 0.5f, false, kContRange, kCont, 63, 3, "Osc 1 Pitch Envelope Key Track", kDefZero},
    {tag::Osc1PitchEnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 1 Pitch Envelope Sync On/Off", kDefZero},
    {tag::Osc1ZekX, 0.5f, false, kContRange, kCont, 34, 2, "Osc 1 Zek X", kDefZero},
    {tag::Osc1ZekY, 0.5f, false, kContRange, kCont, 35, 2, "Osc 1 Zek Y", kDefZero},
    {tag::Osc1ZekLfoToX, 0.0f, false, kContRange, kCont, 37, 2, "Osc 1 Zek LFO > X", kDefZero},
    {tag::Osc1ZekLfoToY, 0.0f, false, kContRange, kCont, 38, 2, "Osc 1 Zek LFO > Y", kDefZero},
    {tag::Osc2On, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 On/Off", kDefZero},
    {tag::Osc2Type, 0.0f, false, 7.99f, 8, 0, 0, "Osc 2 Type", kDefZero},
    {tag::Osc2FreeRunningOn, 1.0f, true, kContRange, kCont, 0, 1, "Osc 2 Free Running On/Off", kDefZero},
    {tag::Osc2KeyTrackOn, 1.0f, true, kContRange, kCont, 0, 1, "Osc 2 Key-Track On/Off", kDefZero},
    {tag::Osc2Octave, 0.5f, false, 8.99f, 9, 68, 0, "Osc 2 Octave", kDefZero},
    {tag::Osc2SyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 Sync On/Off", kDefZero},
    {tag::Osc2ModMode, 0.0f, false, 19.99f, 7, 0, 0, "Osc 2 Mod Mode", kDefZero},
    {tag::Osc2LfoSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 LFO Sync On/Off", kDefZero},
    {tag::Osc2FreeLfoOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 Free LFO On/Off", kDefZero},
    {tag::Osc2LfoKeyTrack, 0.5f, false, kContRange, kCont, 99, 3, "Osc 2 LFO Key Track", kDefZero},
    {tag::Osc2AmpEnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 Amp Envelope Sync On/Off", kDefZero},
    {tag::Osc2AmpEnvKeyTrack, 0.5f, false, kContRange, kCont, 106, 3, "Osc 2 Amp Envelope Key Track", kDefZero},
    {tag::Osc2PitchEnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Osc 2 Pitch Envelope Sync On/Off", kDefZero},
    {tag::Osc2PitchEnvKeyTrack, 0.5f, false, kContRange, kCont, 113, 3, "Osc 2 Pitch Envelope Key Track", kDefZero},
    {tag::Osc2ZekX, 0.5f, false, kContRange, kCont, 84, 2, "Osc 2 Zek X", kDefZero},
    {tag::Osc2ZekY, 0.5f, false, kContRange, kCont, 85, 2, "Osc 2 Zek Y", kDefZero},
    {tag::Osc2ZekLfoToX, 0.0f, false, kContRange, kCont, 87, 2, "Osc 2 Zek LFO > X", kDefZero},
    {tag::Osc2ZekLfoToY, 0.0f, false, kContRange, kCont, 88, 2, "Osc 2 Zek LFO > Y", kDefZero},
    {tag::FilterType, 0.0f, false, 49.99f, 43, 0, 0, "Filter Type", kDefZero},
    {tag::FilterSplitModeOn, 0.0f, true, kContRange, kCont, 0, 1, "Filter Split Mode On/Off", kDefZero},
    {tag::FilterStereoSplitOffset, 1.0f, false, kContRange, kCont, 115, 12, "Filter Stereo Split Offset", kDefZero},
    {tag::ModWheelToFilterFrequency, 0.5f, false, kContRange, kCont, 0, 3, "Mod Wheel > Filter Frequency", kDefZero},
    {tag::FilterFrequencyKeyTrack, 0.5f, false, kContRange, kCont, 0, 3, "Filter Frequency Key Track", kDefZero},
    {tag::FilterFrequencyVelocityTrack, 0.5f, false, kContRange, kCont, 0, 3, "Filter Frequency Velocity Track", kDefZero},
    {tag::FilterEnvInverseOn, 0.0f, true, kContRange, kCont, 0, 1, "Filter Envelope Inverse On/Off", kDefZero},
    {tag::FilterEnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Filter Envelope Sync On/Off", kDefZero},
    {tag::HpOn, 0.0f, true, kContRange, kCont, 0, 1, "HP On/Off", kDefZero},
    {tag::HpTrackOn, 0.0f, true, kContRange, kCont, 0, 1, "HP Track On/Off", kDefZero},
    {tag::HpQOn, 0.0f, true, kContRange, kCont, 0, 1, "HP Q On/Off", kDefZero},
    {tag::HpQ, 0.0f, false, kContRange, kCont, 131, 2, "HP Q", kDefZero},
    {tag::PreEqOn, 0.0f, true, kContRange, kCont, 0, 1, "Pre-EQ On/Off", kDefZero},
    {tag::PreEqBand1Freq, 0.25f, false, kContRange, kCont, 132, 12, "Pre-EQ Band 1 Freq", kDefZero},
    {tag::PreEqBand1Bw, 0.2f, false, kContRange, kCont, 133, 2, "Pre-EQ Band 1 BW", kDefZero},
    {tag::PreEqBand1Gain, 0.5f, false, kContRange, kCont, 134, 13, "Pre-EQ Band 1 Gain", kDefZero},
    {tag::PreEqBand2Freq, 0.5f, false, kContRange, kCont, 135, 12, "Pre-EQ Band 2 Freq", kDefZero},
    {tag::PreEqBand2Bw, 0.2f, false, kContRange, kCont, 136, 2, "Pre-EQ Band 2 BW", kDefZero},
    {tag::PreEqBand2Gain, 0.5f, false, kContRange, kCont, 137, 13, "Pre-EQ Band 2 Gain", kDefZero},
    {tag::PreEqBand3Freq, 0.75f, false, kContRange, kCont, 138, 12, "Pre-EQ Band 3 Freq", kDefZero},
    {tag::PreEqBand3Bw, 0.2f, false, kContRange, kCont, 139, 2, "Pre-EQ Band 3 BW", kDefZero},
    {tag::PreEqBand3Gain, 0.5f, false, kContRange, kCont, 140, 13, "Pre-EQ Band 3 Gain", kDefZero},
    {tag::PreEqFilterMode, 0.0f, false, 3.99f, 4, 0, 0, "Pre-EQ Filter Mode", kDefZero},
    {tag::PreEqLowPassFrequency, 1.0f, false, kContRange, kCont, 141, 12, "Pre-EQ Low-Pass Filter Frequency", kDefZero},
    {tag::PreEqHighPassFrequency, 0.0f, false, kContRange, kCont, 142, 12, "Pre-EQ High-Pass Filter Frequency", kDefZero},
    {tag::PostEqOn, 0.0f, true, kContRange, kCont, 0, 1, "Post-EQ On/Off", kDefZero},
    {tag::PostEqBand1Freq, 0.25f, false, kContRange, kCont, 143, 12, "Post-EQ Band 1 Freq", kDefZero},
    {tag::PostEqBand1Bw, 0.2f, false, kContRange, kCont, 144, 2, "Post-EQ Band 1 BW", kDefZero},
    {tag::PostEqBand1Gain, 0.5f, false, kContRange, kCont, 145, 13, "Post-EQ Band 1 Gain", kDefZero},
    {tag::PostEqBand2Freq, 0.5f, false, kContRange, kCont, 146, 12, "Post-EQ Band 2 Freq", kDefZero},
    {tag::PostEqBand2Bw, 0.2f, false, kContRange, kCont, 147, 2, "Post-EQ Band 2 BW", kDefZero},
    {tag::PostEqBand2Gain, 0.5f, false, kContRange, kCont, 148, 13, "Post-EQ Band 2 Gain", kDefZero},
    {tag::PostEqBand3Freq, 0.75f, false, kContRange, kCont, 149, 12, "Post-EQ Band 3 Freq", kDefZero},
    {tag::PostEqBand3Bw, 0.2f, false, kContRange, kCont, 150, 2, "Post-EQ Band 3 BW", kDefZero},
    {tag::PostEqBand3Gain, 0.5f, false, kContRange, kCont, 151, 13, "Post-EQ Band 3 Gain", kDefZero},
    {tag::PostEqFilterMode, 0.0f, false, 3.99f, 4, 0, 0, "Post-EQ Filter Mode", kDefZero},
    {tag::PostEqLowPassFrequency, 1.0f, false, kContRange, kCont, 152, 12, "Post-EQ Low-Pass Filter Frequency", kDefZero},
    {tag::PostEqHighPassFrequency, 0.0f, false, kContRange, kCont, 153, 12, "Post-EQ High-Pass Filter Frequency", kDefZero},
    {tag::WaveShaperOn, 0.0f, true, kContRange, kCont, 0, 1, "WaveShaper On/Off", kDefZero},
    {tag::VoiceDistortionOn, 0.0f, true, kContRange, kCont, 0, 1, "Voice Distortion On/Off", kDefZero},
    {tag::VoiceDistortionMode, 0.0f, false, 39.99f, 23, 0, 0, "Voice Distortion Mode", kDefZero},
    {tag::LowFiOn, 0.0f, true, kContRange, kCont, 0, 1, "LowFi On/Off", kDefZero},
    {tag::FxPath, 0.0f, false, 119.0f, 120, 0, 0, "FX Path", kDefZero},
    {tag::BypassFxOn, 0.0f, true, kContRange, kCont, 0, 1, "Bypass FX On/Off", kDefZero},
    {tag::DistortFxOn, 0.0f, true, kContRange, kCont, 0, 1, "Distort FX On/Off", kDefZero},
    {tag::DistortFxMode, 0.0f, false, 39.99f, 27, 0, 0, "Distort FX Mode", kDefZero},
    {tag::ModFxOn, 0.0f, true, kContRange, kCont, 0, 1, "Mod FX On/Off", kDefZero},
    {tag::ModFxMode, 0.0f, false, 19.99f, 10, 0, 0, "Mod FX Mode", kDefZero},
    {tag::ModFxTempoSyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Mod FX Tempo Sync On/Off", kDefZero},
    {tag::DelayOn, 0.0f, true, kContRange, kCont, 0, 1, "Delay On/Off", kDefZero},
    {tag::DelayTempoSyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Delay Tempo Sync On/Off", kDefZero},
    {tag::DelayEqualFeedOn, 0.0f, true, kContRange, kCont, 0, 1, "Delay Equal Feed On/Off", kDefZero},
    {tag::ReverbOn, 0.0f, true, kContRange, kCont, 0, 1, "Reverb On/Off", kDefZero},
    {tag::GaterOn, 0.0f, true, kContRange, kCont, 0, 1, "Gater On/Off", kDefZero},
    {tag::GaterMix, 1.0f, false, kContRange, kCont, 228, 9, "Gater Mix", kDefZero},
    {tag::GaterSpeed, 0.43f, false, 33.99f, 34, 229, 0, "Gater Speed", kDefZero},
    {tag::GaterSteps, 1.0f, false, 15.99f, 16, 0, 0, "Gater Steps", kDefZero},
    {tag::GaterSmooth, 0.67f, false, kContRange, kCont, 231, 2, "Gater Smooth", kDefZero},
    {tag::GaterSwing, 0.0f, false, kContRange, kCont, 230, 2, "Gater Swing", kDefZero},
    {tag::GaterMode, 0.0f, false, 1.99f, 2, 0, 0, "Gater Mode", kDefZero},
    {tag::GaterPosition, 0.0f, false, 1.99f, 2, 0, 0, "Gater Position", kDefZero},
    {tag::GaterLeft, 0.880211f, false, kContRange, kCont, 0, 0, "Gater Left", kDefZero},
    {tag::GaterRight, 0.114586f, false, kContRange, kCont, 0, 0, "Gater Right", kDefZero},
    {tag::Free1EnvKeyTrack, 0.5f, false, kContRange, kCont, 272, 3, "Free 1 Envelope Key Track", kDefZero},
    {tag::Free1EnvVelocityTrack, 0.5f, false, kContRange, kCont, 273, 3, "Free 1 Envelope Velocity Track", kDefZero},
    {tag::Free1EnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Free Envelope 1 Sync On/Off", kDefZero},
    {tag::Free2EnvKeyTrack, 0.5f, false, kContRange, kCont, 283, 3, "Free 2 Envelope Key Track", kDefZero},
    {tag::Free2EnvVelocityTrack, 0.5f, false, kContRange, kCont, 284, 3, "Free 2 Envelope Velocity Track", kDefZero},
    {tag::Free2EnvSyncOn, 0.0f, true, kContRange, kCont, 0, 1, "Free Envelope 2 Sync On/Off", kDefZero},
    {tag::MainLfoWave, 0.0f, false, 7.99f, 8, 0, 0, "Main LFO Wave", kDefZero},
    {tag::MainLfoPlayMode, 0.836f, false, 2.99f, 3, 0, 0, "Main LFO Play Mode", kDefZero},
    {tag::MainLfoPhase, 0.0f, false, 3.99f, 4, 255, 0, "Main LFO Phase", kDefZero},
    {tag::MainLfoSyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Main LFO Sync On/Off", kDefZero},
    {tag::MainLfoSpeedModAmount, 0.75f, false, kContRange, kCont, 323, 3, "Main LFO Speed Mod Amount", kDefZero},
    {tag::MainLfoSpeedModSource, 0.019532776f, false, 127.99f, 106, 0, 23, "Main LFO Speed Mod Source", kDefZero},
    {tag::FreeLfo1SyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Free LFO 1 Sync On/Off", kDefZero},
    {tag::FreeLfo1Wave, 0.0f, false, 7.99f, 8, 0, 0, "Free LFO 1 Wave", kDefZero},
    {tag::FreeLfo1PlayMode, 0.0f, false, 2.99f, 3, 0, 0, "Free LFO 1 Play Mode", kDefZero},
    {tag::FreeLfo2SyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Free LFO 2 Sync On/Off", kDefZero},
    {tag::FreeLfo2Wave, 0.0f, false, 7.99f, 8, 0, 0, "Free LFO 2 Wave", kDefZero},
    {tag::FreeLfo2PlayMode, 0.0f, false, 2.99f, 3, 0, 0, "Free LFO 2 Play Mode", kDefZero},
    {tag::FreeLfo12Mode, 0.0f, false, 19.99f, 13, 0, 0, "Free LFO 1/2 Mode", kDefZero},
    {tag::RibbonBipolarOn, 1.0f, true, kContRange, kCont, 0, 1, "Ribbon BiPolar On/Off", kDefZero},
    {tag::RibbonSpringTime, 0.839355f, false, 17.99f, 18, 0, 0, "Ribbon Spring Time", kDefZero},
    {tag::RibbonQuantization, 0.0f, false, 12.99f, 13, 0, 0, "Ribbon Quantization", kDefZero},
    {tag::ArpOn, 0.0f, true, kContRange, kCont, 0, 1, "Arp On/Off", kDefZero},
    {tag::ArpPlayMode, 0.0f, false, 9.99f, 4, 0, 0, "Arp Play Mode", kDefZero},
    {tag::ArpMode, 0.0f, false, 19.99f, 16, 0, 0, "Arp Mode", kDefZero},
    {tag::ArpLoopMode, 0.0f, false, 2.99f, 3, 0, 0, "Arp Loop Mode", kDefZero},
    {tag::ArpStartCatchup, 0.0f, false, 2.99f, 3, 0, 0, "Arp Start Catchup", kDefZero},
    {tag::ArpStepsCatchup, 0.0f, false, 2.99f, 3, 0, 0, "Arp Steps Catchup", kDefZero},
    {tag::ArpOctave, 0.0f, false, 3.99f, 4, 0, 0, "Arp Octave", kDefZero},
    {tag::ArpTiedMode, 0.0f, false, 3.99f, 4, 0, 0, "Arp Tied Mode", kDefZero},
    {tag::ArpRatchetMode, 0.0f, false, 9.99f, 9, 0, 0, "Arp Ratchet Mode", kDefZero},
    {tag::ArpLock, 0.0f, false, 2.99f, 3, 0, 0, "Arp Lock", kDefZero},
    {tag::ArpSyncOn, 1.0f, true, kContRange, kCont, 0, 1, "Arp Sync On/Off", kDefZero},
    {tag::ArpKeyEntryOn, 0.0f, true, kContRange, kCont, 0, 1, "Arp Key Entry On/Off", kDefZero},
    {tag::ArpLatchOn, 0.0f, true, kContRange, kCont, 0, 1, "Arp Latch On/Off", kDefZero},
    {tag::Xy1RecordMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 1 Record Mode", kDefZero},
    {tag::Xy1LoopMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 1 Loop Mode", kDefZero},
    {tag::Xy1PlayMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 1 Play Mode", kDefZero},
    {tag::Xy1Sync, 0.564698f, false, 30.99f, 31, 0, 0, "XY 1 Sync", kDefZero},
    {tag::Xy1Speed, 0.5f, false, 16.99f, 17, 39, 0, "XY 1 Speed", kDefZero},
    {tag::Xy1EditOn, 0.0f, true, kContRange, kCont, 0, 1, "XY 1 Edit On/Off", kDefZero},
    {tag::Xy1LenSec, 0.0f, false, kContRange, kCont, 0, 0, "XY 1 Len Sec", kDefZero},
    {tag::Xy1LenMs, 0.0f, false, kContRange, kCont, 0, 0, "XY 1 Len MS", kDefZero},
    {tag::Xy2RecordMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 2 Record Mode", kDefZero},
    {tag::Xy2LoopMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 2 Loop Mode", kDefZero},
    {tag::Xy2PlayMode, 0.0f, false, 2.99f, 3, 0, 0, "XY 2 Play Mode", kDefZero},
    {tag::Xy2Sync, 0.564698f, false, 30.99f, 31, 0, 0, "XY 2 Sync", kDefZero},
    {tag::Xy2Speed, 0.5f, false, 16.99f, 17, 89, 0, "XY 2 Speed", kDefZero},
    {tag::Xy2EditOn, 0.0f, true, kContRange, kCont, 0, 1, "XY 2 Edit On/Off", kDefZero},
    {tag::Xy2LenSec, 0.0f, false, kContRange, kCont, 0, 0, "XY 2 Len Sec", kDefZero},
    {tag::Xy2LenMs, 0.0f, false, kContRange, kCont, 0, 0, "XY 2 Len MS", kDefZero},
    {tag::HasTuningOn, 0.0f, true, kContRange, kCont, 0, 1, "Has Tuning On/Off", kDefZero},
    {tag::UserWaveShaperMode, 0.0f, false, 22.99f, 13, 0, 0, "User Wave Shaper Mode", kDefZero},
    {tag::UserWaveShaper1, 0.0f, false, kContRange, kCont, 0, 0, "User Wave Shaper 1", kDefZero},
    {tag::UserWaveShaper2, 0.0f, false, kContRange, kCont, 0, 0, "User Wave Shaper 2", kDefZero},
    {tag::UserWaveExpPartialsOn, 0.0f, true, kContRange, kCont, 0, 1, "User Wave Exponential Partials On/Off", kDefZero},
    {tag::UserWaveSmooth, 0.35f, false, kContRange, kCont, 0, 2, "User Wave Smooth", kDefZero},
    {tag::UserWave1UsePartialsOn, 0.0f, true, kContRange, kCont, 0, 1, "Use Partials for User Wave 1 On/Off", kDefZero},
    {tag::UserWave2UsePartialsOn, 0.0f, true, kContRange, kCont, 0, 1, "Use Partials for User Wave 2 On/Off", kDefZero},
    {tag::UserWave1Preset, 0.0f, false, 511.99f, 237, 0, 0, "User Wave 1 Preset", kDefZero},
    {tag::UserWave2Preset, 0.0f, false, 511.99f, 237, 0, 0, "User Wave 2 Preset", kDefZero},
};

// Defined after the random attributes are worked out; being continuous they come out the same.
constexpr ParamRow kInternalRows[] = {
    {tag::Version, 0.0f, false, kContRange, kCont, 0, 25, "Version", kDefZero},
    {tag::ProductName, 0.0f, false, kContRange, kCont, 0, 25, "ZEK2", kDefZero},
    {tag::Dummy, 0.0f, false, kContRange, kCont, 0, 25, "Dummy", kDefZero},
};
// clang-format on

// A run of tags sharing their values. Member i has tag firstTag + i * tagStride and the name
// prefix + (labels ? labels[i] : firstNumber + i) + suffix; its default is
// defaultValue + i * defaultStep and its destination modDest + i * modDestStep (0 stays 0).
struct ParamFamily {
    int firstTag;
    int count;
    int tagStride;
    int firstNumber;
    const char* const* labels;
    const char* prefix;
    const char* suffix;
    float defaultValue;
    float defaultStep;
    bool onOff;
    float steppedRange;
    int steppedNum;
    int modDest;
    int modDestStep;
    int displayType;
    float zero;
};

const char* const kSeqLabels[tag::SeqCount] = {"Arp A", "Arp B"};

constexpr int kA = 0;
constexpr int kB = tag::SeqStride;
constexpr int kSlots = tag::ModSlotCount;
constexpr int kSteps = tag::SeqStepCount;
constexpr int kPoints = tag::XyPathPointCount;
constexpr int kWave = tag::UserWavePointCount;
constexpr int kPresetNumber = tag::PresetParamFirst + 1; // names count from 1, like unused tags
constexpr float kWaveRamp = 1.0f / 512.0f;               // exact, so the ramp is exact too

// clang-format off
const ParamFamily kFamilies[] = {
    {tag::PresetParamFirst, tag::PresetParamCount, 1, kPresetNumber, nullptr, "Preset Parameter ", " N/A", 0.0f, 0.0f, false, kContRange, kCont, 0, 0, 25, kDefZero},

    {tag::ModBypassFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Bypass On/Off", 0.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::ModSourceFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Source", 0.0f, 0.0f, false, 127.99f, 106, 0, 0, 23, kDefZero},
    {tag::ModLowerFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Lower Amount", 0.0f, 0.0f, false, kContRange, kCont, 0, 0, 19, kDefZero},
    {tag::ModUpperFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Upper Amount", 1.0f, 0.0f, false, kContRange, kCont, 0, 0, 20, kDefZero},
    {tag::ModDestFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Destination", 0.0f, 0.0f, false, 399.99f, 323, 0, 0, 24, kDefZero},
    {tag::ModOffsetFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Offset Amount", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 22, kDefZero},
    {tag::ModAmountFirst, kSlots, 1, 1, nullptr, "Mod Slot ", " Amount", 0.5f, 0.0f, false, kContRange, kCont, 307, 1, 21, kDefZero},

    // Both sequences feed the same destination.
    {tag::SeqLoopStartA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Loop Start", 0.0f, 0.0f, false, 15.99f, 16, 237, 0, 0, kDefZero},
    {tag::SeqStepsA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Steps", 1.0f, 0.0f, false, 15.99f, 16, 236, 0, 0, kDefZero},
    {tag::SeqSpeedA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Speed", 0.5f, 0.0f, false, 16.99f, 17, 235, 0, 0, kDefZero},
    {tag::SeqRatchetVelA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Ratchet Velocity", 0.0f, 0.0f, false, kContRange, kCont, 242, 0, 2, kDefZero},
    {tag::SeqSwingA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Swing", 0.0f, 0.0f, false, kContRange, kCont, 238, 0, 2, kDefZero},
    {tag::SeqSmoothA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Smooth", 0.0f, 0.0f, false, kContRange, kCont, 243, 0, 2, kDefZero},
    {tag::SeqSlideAmtA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Slide", 0.0f, 0.0f, false, kContRange, kCont, 240, 0, 2, kDefZero},
    {tag::SeqVelKeysA, tag::SeqCount, tag::SeqStride, 0, kSeqLabels, "", " Vel/Key", 0.0f, 0.0f, false, kContRange, kCont, 241, 0, 2, kDefZero},

    // Sequence A's step switches carry two spaces before the suffix; presets and hosts know
    // them by that name.
    {tag::SeqStepOnA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", "  On/Off", 1.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepTiedA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Tied On/Off", 0.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepSlideA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Slide On/Off", 0.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepTuneA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Tune", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 17, kDefZero},
    {tag::SeqStepVelA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Velocity", 1.0f, 0.0f, false, kContRange, kCont, 0, 0, 7, kDefZero},
    {tag::SeqStepFree1A + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Free 1", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::SeqStepFree2A + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Free 2", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::SeqStepRatchetA + kA, kSteps, 1, 1, nullptr, "Arp A Step ", " Ratchet", 0.0f, 0.0f, false, 9.99f, 9, 0, 0, 18, kDefZero},
    {tag::SeqStepOnA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " On/Off", 1.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepTiedA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Tied On/Off", 0.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepSlideA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Slide On/Off", 0.0f, 0.0f, true, kContRange, kCont, 0, 0, 1, kDefZero},
    {tag::SeqStepTuneA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Tune", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 17, kDefZero},
    {tag::SeqStepVelA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Velocity", 1.0f, 0.0f, false, kContRange, kCont, 0, 0, 7, kDefZero},
    {tag::SeqStepFree1A + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Free 1", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::SeqStepFree2A + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Free 2", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::SeqStepRatchetA + kB, kSteps, 1, 1, nullptr, "Arp B Step ", " Ratchet", 0.0f, 0.0f, false, 9.99f, 9, 0, 0, 18, kDefZero},

    {tag::Xy1PathXFirst, kPoints, 1, 1, nullptr, "XY 1: Point ", " X", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::Xy1PathYFirst, kPoints, 1, 1, nullptr, "XY 1: Point ", " Y", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::Xy2PathXFirst, kPoints, 1, 1, nullptr, "XY 2: Point ", " X", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::Xy2PathYFirst, kPoints, 1, 1, nullptr, "XY 2: Point ", " Y", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},

    {tag::TuningNameFirst, tag::TuningNameCount, 1, 1, nullptr, "Tuning Name Parameter ", " N/A", 0.0f, 0.0f, false, kContRange, kCont, 0, 0, 25, kDefZero},

    // Wave 1 starts as a rising ramp 0 .. 511/512, wave 2 flat at the middle.
    {tag::UserWave1First, kWave, 1, 1, nullptr, "User Wave 1: ", "", 0.0f, kWaveRamp, false, kContRange, kCont, 0, 0, 3, kDefZero},
    {tag::UserWave2First, kWave, 1, 1, nullptr, "User Wave 2: ", "", 0.5f, 0.0f, false, kContRange, kCont, 0, 0, 3, kDefZero},
};
// clang-format on

void defineRow(const ParamRow& row, const std::function<void(const ParamDef&)>& define) {
    define(ParamDef{row.tag, row.defaultValue, row.onOff, row.steppedRange, row.steppedNum,
                    row.modDest, row.displayType, row.name, row.zero});
}

void defineFamily(const ParamFamily& fam, const std::function<void(const ParamDef&)>& define) {
    for (int i = 0; i < fam.count; ++i) {
        std::string name = fam.prefix;
        name += fam.labels ? std::string(fam.labels[i]) : std::to_string(fam.firstNumber + i);
        name += fam.suffix;
        const int dest = fam.modDest > 0 ? fam.modDest + i * fam.modDestStep : 0;
        define(ParamDef{fam.firstTag + i * fam.tagStride,
                        fam.defaultValue + static_cast<float>(i) * fam.defaultStep, fam.onOff,
                        fam.steppedRange, fam.steppedNum, dest, fam.displayType, name, fam.zero});
    }
}

bool inRange(int tagNum, int first, int last) {
    return tagNum >= first && tagNum <= last;
}

} // namespace

void forEachParamDef(const std::function<void(const ParamDef&)>& define) {
    for (const ParamRow& row : kRows) defineRow(row, define);
    for (const ParamFamily& fam : kFamilies) defineFamily(fam, define);
    for (const ParamRow& row : kInternalRows) defineRow(row, define);
}

void defaultParamDef(int tagNum, ParamDef& out) {
    out.tag = tagNum;
    out.defaultValue = 0.0f;
    out.onOff = false;
    out.steppedRange = 1.0f;
    out.steppedNum = kCont;
    out.modDest = 0;
    out.displayType = 25;
    out.name = "Unused Parameter " + std::to_string(tagNum + 1) + " N/A";
    out.zero = 0.0f;
}

bool paramCountsAsEditBand(int tagNum) {
    // The ribbon position and the text tags are playing and naming, not editing the sound; the
    // two partial switches only pick how a user wave is built.
    if (tagNum == tag::UserWave1UsePartialsOn || tagNum == tag::UserWave2UsePartialsOn) {
        return false;
    }
    return inRange(tagNum, tag::None, tag::RibbonValue - 1) ||
           inRange(tagNum, tag::PlayMode, tag::ProductName);
}

bool paramNotifiesEditorBand(int tagNum) {
    return inRange(tagNum, tag::MainVolume, tag::RibbonValue) ||
           inRange(tagNum, tag::PlayMode, tag::Xy2LenMs) ||
           inRange(tagNum, tag::UserWaveShaperMode, tag::UserWave2Preset);
}

bool paramRandomizableBand(int tagNum) {
    if (tagNum < 0 || tagNum >= tag::Count) return false;
    // Stage and arpeggiator switches, the gater's mode, the LFO speed source and the XY
    // recordings stay as the user set them: a random sound should vary, not mute a stage or
    // overwrite a recorded gesture.
    switch (tagNum) {
    case tag::Osc1On:
    case tag::Osc2On:
    case tag::PreEqOn:
    case tag::PostEqOn:
    case tag::WaveShaperOn:
    case tag::VoiceDistortionOn:
    case tag::LowFiOn:
    case tag::ModFxOn:
    case tag::DelayOn:
    case tag::ReverbOn:
    case tag::GaterOn:
    case tag::GaterMode:
    case tag::MainLfoSpeedModSource:
    case tag::ArpOn:
    case tag::Xy1RecordMode:
        return false;
    default:
        break;
    }
    return !inRange(tagNum, tag::Xy1EditOn, tag::Xy2RecordMode) &&
           !inRange(tagNum, tag::Xy2EditOn, tag::XyPathLast);
}

float paramRandomMaxFor(int steppedNum, float steppedRange) {
    if (steppedNum < 0 || steppedRange <= 0.0f) return 1.0f;
    return static_cast<float>((steppedNum - 0.01) / steppedRange);
}
