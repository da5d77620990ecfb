// Named parameter tags: the one place where a tag number is written down.
// Compile-time constants only; read by every thread.
#pragma once

namespace tag {

constexpr int Count = 2048;

// Sound settings 1..127, each one a modulation destination.
constexpr int None = 0;
constexpr int MainVolume = 1;
constexpr int VelocityToVolume = 2;
constexpr int MainLfoToVolume = 3;
constexpr int MainPan = 4;
constexpr int MainLfoToPan = 5;
constexpr int AmpEnvAttack = 6;
constexpr int AmpEnvDecay = 7;
constexpr int AmpEnvSustain = 8;
constexpr int AmpEnvRelease = 9;
constexpr int PortamentoAmount = 10;
constexpr int UnisonAmount = 11;
constexpr int Osc1Volume = 12;
constexpr int Osc1Pan = 13;
constexpr int Osc1Semi = 14;
constexpr int Osc1Fine = 15;
constexpr int Osc1SubVolume = 16;
constexpr int Osc1Spread = 17;
constexpr int Osc1Symmetry = 18;
constexpr int Osc1LfoSpeed = 19;
constexpr int Osc1LfoToPwm = 20;
constexpr int Osc1LfoToAmp = 21;
constexpr int Osc1LfoToPitch = 22;
constexpr int Osc1AmpEnvAmount = 23;
constexpr int Osc1AmpEnvAttack = 24;
constexpr int Osc1AmpEnvDecay = 25;
constexpr int Osc1AmpEnvSustain = 26;
constexpr int Osc1AmpEnvRelease = 27;
constexpr int Osc1PitchEnvAmount = 28;
constexpr int Osc1PitchEnvAttack = 29;
constexpr int Osc1PitchEnvDecay = 30;
constexpr int Osc1PitchEnvSustain = 31;
constexpr int Osc1PitchEnvRelease = 32;
constexpr int Osc1ZekAmount = 33;
constexpr int Osc2Volume = 34;
constexpr int Osc2Pan = 35;
constexpr int Osc2Semi = 36;
constexpr int Osc2Fine = 37;
constexpr int Osc2SubVolume = 38;
constexpr int Osc2Spread = 39;
constexpr int Osc2ModAmount = 40;
constexpr int Osc2Symmetry = 41;
constexpr int Osc2LfoSpeed = 42;
constexpr int Osc2LfoToPwm = 43;
constexpr int Osc2LfoToAmp = 44;
constexpr int Osc2LfoToPitch = 45;
constexpr int Osc2AmpEnvAmount = 46;
constexpr int Osc2AmpEnvAttack = 47;
constexpr int Osc2AmpEnvDecay = 48;
constexpr int Osc2AmpEnvSustain = 49;
constexpr int Osc2AmpEnvRelease = 50;
constexpr int Osc2PitchEnvAmount = 51;
constexpr int Osc2PitchEnvAttack = 52;
constexpr int Osc2PitchEnvDecay = 53;
constexpr int Osc2PitchEnvSustain = 54;
constexpr int Osc2PitchEnvRelease = 55;
constexpr int Osc2ZekAmount = 56;
constexpr int FilterFrequency = 57;
constexpr int FilterQ = 58;
constexpr int FilterVowel = 59;
constexpr int FilterPreDistort = 60;
constexpr int FilterEnvAmount = 61;
constexpr int FilterEnvAttack = 62;
constexpr int FilterEnvDecay = 63;
constexpr int FilterEnvSustain = 64;
constexpr int FilterEnvRelease = 65;
constexpr int MainLfoToFilterFrequency = 66;
constexpr int HpFrequency = 67;
constexpr int WaveShaperMix = 68;
constexpr int WaveShaperTop = 69;
constexpr int WaveShaperBottom = 70;
constexpr int WaveShaperRectification = 71;
constexpr int VoiceDistortionMix = 72;
constexpr int Distortion1 = 73; // 73..79: the seven knobs of the voice-distortion mode
constexpr int Distortion2 = 74;
constexpr int Distortion3 = 75;
constexpr int Distortion4 = 76;
constexpr int Distortion5 = 77;
constexpr int Distortion6 = 78;
constexpr int Distortion7 = 79;
constexpr int DistortionKnobCount = 7;
constexpr int LowFiMix = 80;
constexpr int LowFiBits = 81;
constexpr int LowFiSampleRate = 82;
constexpr int LowFiNoise = 83;
constexpr int LowFiLowPassFrequency = 84;
constexpr int DistortionFxMix = 85;
constexpr int DistortionFx1 = 86; // 86..92: the seven knobs of the distortion-FX mode
constexpr int DistortionFx2 = 87;
constexpr int DistortionFx3 = 88;
constexpr int DistortionFx4 = 89;
constexpr int DistortionFx5 = 90;
constexpr int DistortionFx6 = 91;
constexpr int DistortionFx7 = 92;
constexpr int ModFxMix = 93;
constexpr int ModFx1 = 94; // 94..97: the four knobs of the modulation-FX mode
constexpr int ModFx2 = 95;
constexpr int ModFx3 = 96;
constexpr int ModFx4 = 97;
constexpr int ModFxKnobCount = 4;
constexpr int DelayMix = 98;
constexpr int DelayLeft = 99;
constexpr int DelayRight = 100;
constexpr int DelayFeed = 101;
constexpr int DelayCrossFeed = 102;
constexpr int DelayLowPassFrequency = 103;
constexpr int DelayHighPassFrequency = 104;
constexpr int ReverbMix = 105;
constexpr int ReverbPreDelay = 106;
constexpr int ReverbSize = 107;
constexpr int ReverbLength = 108;
constexpr int ReverbDamp = 109;
constexpr int ReverbSpread = 110;
constexpr int ReverbLowPassFrequency = 111;
constexpr int ReverbHighPassFrequency = 112;
constexpr int Free1EnvAttack = 113;
constexpr int Free1EnvDecay = 114;
constexpr int Free1EnvSustain = 115;
constexpr int Free1EnvFade = 116;
constexpr int Free1EnvRelease = 117;
constexpr int Free2EnvAttack = 118;
constexpr int Free2EnvDecay = 119;
constexpr int Free2EnvSustain = 120;
constexpr int Free2EnvFade = 121;
constexpr int Free2EnvRelease = 122;
constexpr int MainLfoSpeed = 123;
constexpr int FreeLfo1Speed = 124;
constexpr int FreeLfo2Speed = 125;
constexpr int FreeLfo12Amount = 126;
constexpr int RibbonValue = 127;

// Text held one character per tag; the program name is a run inside the preset tags.
constexpr int PresetParamFirst = 128;
constexpr int PresetParamCount = 117; // 128..244
constexpr int PresetNameFirst = 210;
constexpr int PresetNameCount = 28; // 210..237

// Selectors and switches of the sound.
constexpr int PlayMode = 246;
constexpr int PortamentoMode = 247;
constexpr int PitchBendDown = 248;
constexpr int PitchBendUp = 249;
constexpr int UnisonMode = 250;
constexpr int UnisonSpread = 251;
constexpr int UnisonDelay = 252;
constexpr int UnisonDelaySyncOn = 253;
constexpr int AnalogDriftOn = 254;
constexpr int GlobalTuning = 255;
constexpr int BrickFilterOn = 256;
constexpr int BrickFilterFrequency = 257;
constexpr int OscPath = 258;
constexpr int Osc1On = 259;
constexpr int Osc1Type = 260;
constexpr int Osc1FreeRunningOn = 261;
constexpr int Osc1KeyTrackOn = 262;
constexpr int Osc1Octave = 263;
constexpr int Osc1OutputOn = 264;
constexpr int Osc1LfoKeyTrack = 265;
constexpr int Osc1LfoSyncOn = 266;
constexpr int Osc1FreeLfoOn = 267;
constexpr int Osc1AmpEnvKeyTrack = 268;
constexpr int Osc1AmpEnvSyncOn = 269;
constexpr int Osc1PitchEnvKeyTrack = 270;
constexpr int Osc1PitchEnvSyncOn = 271;
constexpr int Osc1ZekX = 272;
constexpr int Osc1ZekY = 273;
constexpr int Osc1ZekLfoToX = 274;
constexpr int Osc1ZekLfoToY = 275;
constexpr int Osc2On = 276;
constexpr int Osc2Type = 277;
constexpr int Osc2FreeRunningOn = 278;
constexpr int Osc2KeyTrackOn = 279;
constexpr int Osc2Octave = 280;
constexpr int Osc2SyncOn = 281;
constexpr int Osc2ModMode = 282;
constexpr int Osc2LfoSyncOn = 283;
constexpr int Osc2FreeLfoOn = 284;
constexpr int Osc2LfoKeyTrack = 285;
constexpr int Osc2AmpEnvSyncOn = 286;
constexpr int Osc2AmpEnvKeyTrack = 287;
constexpr int Osc2PitchEnvSyncOn = 288;
constexpr int Osc2PitchEnvKeyTrack = 289;
constexpr int Osc2ZekX = 290;
constexpr int Osc2ZekY = 291;
constexpr int Osc2ZekLfoToX = 292;
constexpr int Osc2ZekLfoToY = 293;
constexpr int FilterType = 294;
constexpr int FilterSplitModeOn = 295;
constexpr int FilterStereoSplitOffset = 296;
constexpr int ModWheelToFilterFrequency = 297;
constexpr int FilterFrequencyKeyTrack = 298;
constexpr int FilterFrequencyVelocityTrack = 299;
constexpr int FilterEnvInverseOn = 300;
constexpr int FilterEnvSyncOn = 301;
constexpr int HpOn = 302;
constexpr int HpTrackOn = 303;
constexpr int HpQOn = 304;
constexpr int HpQ = 305;
constexpr int PreEqOn = 306;
constexpr int PreEqBand1Freq = 307;
constexpr int PreEqBand1Bw = 308;
constexpr int PreEqBand1Gain = 309;
constexpr int PreEqBand2Freq = 310;
constexpr int PreEqBand2Bw = 311;
constexpr int PreEqBand2Gain = 312;
constexpr int PreEqBand3Freq = 313;
constexpr int PreEqBand3Bw = 314;
constexpr int PreEqBand3Gain = 315;
constexpr int PreEqFilterMode = 316;
constexpr int PreEqLowPassFrequency = 317;
constexpr int PreEqHighPassFrequency = 318;
constexpr int PostEqOn = 319;
constexpr int PostEqBand1Freq = 320;
constexpr int PostEqBand1Bw = 321;
constexpr int PostEqBand1Gain = 322;
constexpr int PostEqBand2Freq = 323;
constexpr int PostEqBand2Bw = 324;
constexpr int PostEqBand2Gain = 325;
constexpr int PostEqBand3Freq = 326;
constexpr int PostEqBand3Bw = 327;
constexpr int PostEqBand3Gain = 328;
constexpr int PostEqFilterMode = 329;
constexpr int PostEqLowPassFrequency = 330;
constexpr int PostEqHighPassFrequency = 331;
constexpr int EqBandStride = 3; // Freq, BW, Gain per band
constexpr int EqBandCount = 3;  // bands per EQ
constexpr int EqStride = 13;    // pre-EQ to post-EQ
constexpr int WaveShaperOn = 332;
constexpr int VoiceDistortionOn = 333;
constexpr int VoiceDistortionMode = 334;
constexpr int LowFiOn = 335;
constexpr int FxPath = 336;
constexpr int BypassFxOn = 337;
constexpr int DistortFxOn = 338;
constexpr int DistortFxMode = 339;
constexpr int ModFxOn = 340;
constexpr int ModFxMode = 341;
constexpr int ModFxTempoSyncOn = 342;
constexpr int DelayOn = 343;
constexpr int DelayTempoSyncOn = 344;
constexpr int DelayEqualFeedOn = 345;
constexpr int ReverbOn = 346;
constexpr int GaterOn = 347;
constexpr int GaterMix = 348;
constexpr int GaterSpeed = 349;
constexpr int GaterSteps = 350;
constexpr int GaterSmooth = 351;
constexpr int GaterSwing = 352;
constexpr int GaterMode = 353;
constexpr int GaterPosition = 354;
constexpr int GaterLeft = 355;
constexpr int GaterRight = 356;
constexpr int Free1EnvKeyTrack = 357;
constexpr int Free1EnvVelocityTrack = 358;
constexpr int Free1EnvSyncOn = 359;
constexpr int Free2EnvKeyTrack = 360;
constexpr int Free2EnvVelocityTrack = 361;
constexpr int Free2EnvSyncOn = 362;
constexpr int MainLfoWave = 363;
constexpr int MainLfoPlayMode = 364;
constexpr int MainLfoPhase = 365;
constexpr int MainLfoSyncOn = 366;
constexpr int MainLfoSpeedModAmount = 367;
constexpr int MainLfoSpeedModSource = 368;
constexpr int FreeLfo1SyncOn = 369;
constexpr int FreeLfo1Wave = 370;
constexpr int FreeLfo1PlayMode = 371;
constexpr int FreeLfo2SyncOn = 372;
constexpr int FreeLfo2Wave = 373;
constexpr int FreeLfo2PlayMode = 374;
constexpr int FreeLfo12Mode = 375;
constexpr int RibbonBipolarOn = 376;
constexpr int RibbonSpringTime = 377;
constexpr int RibbonQuantization = 378;

// Modulation matrix: seven runs of 16, slot s (0-based) at first + s.
constexpr int ModSlotCount = 16;
constexpr int ModFirst = 379;
constexpr int ModBypassFirst = 379;
constexpr int ModSourceFirst = 395;
constexpr int ModLowerFirst = 411;
constexpr int ModUpperFirst = 427;
constexpr int ModDestFirst = 443;
constexpr int ModOffsetFirst = 459;
constexpr int ModAmountFirst = 475;
constexpr int ModLast = 490;
constexpr int ModTagCount = 112; // 379..490

// Arpeggiator; all of 492..777 (641 included) make up an arpeggiator preset.
constexpr int ArpFirst = 492;
constexpr int ArpLast = 777;
constexpr int ArpTagCount = 286;
constexpr int ArpOn = 492;
constexpr int ArpPlayMode = 493;
constexpr int ArpMode = 494;
constexpr int ArpLoopMode = 495;
constexpr int ArpStartCatchup = 496;
constexpr int ArpStepsCatchup = 497;
constexpr int ArpOctave = 498;
constexpr int ArpTiedMode = 499;
constexpr int ArpRatchetMode = 500;
constexpr int ArpLock = 501;
constexpr int ArpSyncOn = 502;
constexpr int ArpKeyEntryOn = 503;
constexpr int ArpLatchOn = 504;

// Two step sequences; sequence B's tag is sequence A's tag + SeqStride.
constexpr int SeqCount = 2;
constexpr int SeqStride = 137;
constexpr int SeqLoopStartA = 505;
constexpr int SeqStepsA = 506;
constexpr int SeqSpeedA = 507;
constexpr int SeqRatchetVelA = 508;
constexpr int SeqSwingA = 509;
constexpr int SeqSmoothA = 510;
constexpr int SeqSlideAmtA = 511;
constexpr int SeqVelKeysA = 512;
constexpr int SeqStepCount = 16; // step n (0-based) at first + n
constexpr int SeqStepOnA = 513;
constexpr int SeqStepTiedA = 529;
constexpr int SeqStepSlideA = 545;
constexpr int SeqStepTuneA = 561;
constexpr int SeqStepVelA = 577;
constexpr int SeqStepFree1A = 593;
constexpr int SeqStepFree2A = 609;
constexpr int SeqStepRatchetA = 625;

// XY pads: pad p (0-based) at the pad-1 tag + p * XyPadStride.
constexpr int XyPadCount = 2;
constexpr int XyPadStride = 8;
constexpr int Xy1RecordMode = 778;
constexpr int Xy1LoopMode = 779;
constexpr int Xy1PlayMode = 780;
constexpr int Xy1Sync = 781;
constexpr int Xy1Speed = 782;
constexpr int Xy1EditOn = 783;
constexpr int Xy1LenSec = 784;
constexpr int Xy1LenMs = 785;
constexpr int Xy2RecordMode = 786;
constexpr int Xy2LoopMode = 787;
constexpr int Xy2PlayMode = 788;
constexpr int Xy2Sync = 789;
constexpr int Xy2Speed = 790;
constexpr int Xy2EditOn = 791;
constexpr int Xy2LenSec = 792;
constexpr int Xy2LenMs = 793;

// XY paths: 32 X then 32 Y points per pad; pad 2's run is pad 1's + XyPathPadStride.
constexpr int XyPathPointCount = 32;
constexpr int XyPathPadStride = 64;
constexpr int XyPathFirst = 794;
constexpr int XyPathLast = 921;
constexpr int Xy1PathXFirst = 794;
constexpr int Xy1PathYFirst = 826;
constexpr int Xy2PathXFirst = 858;
constexpr int Xy2PathYFirst = 890;

// Tuning.
constexpr int HasTuningOn = 923;
constexpr int TuningNameFirst = 924;
constexpr int TuningNameCount = 40; // 924..963

// User-wave settings.
constexpr int UserWaveShaperMode = 1005;
constexpr int UserWaveShaper1 = 1006;
constexpr int UserWaveShaper2 = 1007;
constexpr int UserWaveExpPartialsOn = 1008;
constexpr int UserWaveSmooth = 1009;
constexpr int UserWave1UsePartialsOn = 1010;
constexpr int UserWave2UsePartialsOn = 1011;
constexpr int UserWave1Preset = 1012;
constexpr int UserWave2Preset = 1013;

// Not a table row: a write here asks the engine to apply the preset.
constexpr int ApplyPreset = 1018;

// Internal tags.
constexpr int Version = 1021;
constexpr int ProductName = 1022;
constexpr int Dummy = 1023;

// User-wave points: 512 per wave.
constexpr int UserWavePointCount = 512;
constexpr int UserWave1First = 1024;
constexpr int UserWave2First = 1536;

// The user wave (0 or 1) whose point a tag is; -1 for any other tag.
constexpr int userWaveOfPoint(int tagNum) {
    return tagNum >= UserWave1First && tagNum < UserWave2First + UserWavePointCount
               ? (tagNum - UserWave1First) / UserWavePointCount
               : -1;
}

// The tempo-sync switch that belongs to an LFO speed; -1 for a tag that is no LFO speed.
constexpr int lfoSpeedSyncTag(int speedTag) {
    return speedTag == Osc1LfoSpeed    ? Osc1LfoSyncOn
           : speedTag == Osc2LfoSpeed  ? Osc2LfoSyncOn
           : speedTag == MainLfoSpeed  ? MainLfoSyncOn
           : speedTag == FreeLfo1Speed ? FreeLfo1SyncOn
           : speedTag == FreeLfo2Speed ? FreeLfo2SyncOn
                                       : -1;
}

// Combined distortion modes (the entries of the distortion-FX menu) whose third knob is a
// bipolar amount around a centre: Atan, Cross 2, Foldover, Octave 2, Overdrive, Power,
// Saturator, Square and Valve.
constexpr bool distortThirdKnobIsBipolar(int mode) {
    return mode == 2 || mode == 8 || mode == 9 || mode == 15 || mode == 16 || mode == 17 ||
           mode == 20 || mode == 22 || mode == 25;
}

} // namespace tag
