// Names of the sound-shaping choices: oscillators, filter types, EQ modes, the distortion modes
// with their control names and labels, modulation FX, gater and the built-in user-wave presets.
// Constant data; read by the audio and user-interface threads without locks.

#include "engine/params/StringTables.h"

constexpr const char* const OSC_TYPE_STR[OSC_TYPE_COUNT] = {
    "Sine", "Saw", "Square", "Triangle", "User Wave 1", "User Wave 2", "White Noise", "Pink Noise"};
static_assert(allEntriesSet(OSC_TYPE_STR));

constexpr const char* const OSC_OCT_STR[OSC_OCT_COUNT] = {"-4", "-3", "-2", "-1", "0",
                                                          "1",  "2",  "3",  "4"};
static_assert(allEntriesSet(OSC_OCT_STR));

constexpr const char* const OSC_MOD_MODE_STR[OSC_MOD_MODE_COUNT] = {"Off", "PM",   "FM", "Ring",
                                                                    "Mix", "Sign", "And"};
static_assert(allEntriesSet(OSC_MOD_MODE_STR));

constexpr const char* const FILTER_TYPE_STR[FILTER_TYPE_COUNT] = {"Bypass",
                                                                  "6 LP",
                                                                  "6 HP",
                                                                  "12 LP1",
                                                                  "12 HP1",
                                                                  "12 BP1",
                                                                  "12 N1",
                                                                  "12 LP2",
                                                                  "12 HP2",
                                                                  "12 BP2",
                                                                  "12 N2",
                                                                  "12 LPZ",
                                                                  "12 HPZ",
                                                                  "12 BPZ",
                                                                  "12 NZ",
                                                                  "12 Multi LP / HP",
                                                                  "12 Multi LP / BP / HP",
                                                                  "18 LP",
                                                                  "18 HP",
                                                                  "24 LP",
                                                                  "24 HP",
                                                                  "24 BP",
                                                                  "24 N",
                                                                  "24 LP2",
                                                                  "24 HP2",
                                                                  "24 BP2",
                                                                  "24 N2",
                                                                  "24 LPZ",
                                                                  "24 HPZ",
                                                                  "24 BPZ",
                                                                  "24 NZ",
                                                                  "24 Multi LP / HP",
                                                                  "24 Multi LP / BP / HP",
                                                                  "36 LP",
                                                                  "36 HP",
                                                                  "Vowel",
                                                                  "Formant 2",
                                                                  "Formant 4",
                                                                  "Comb +",
                                                                  "Comb -",
                                                                  "Comb Ping-Pong",
                                                                  "RingMod",
                                                                  "AM"};
static_assert(allEntriesSet(FILTER_TYPE_STR));

constexpr const char* const FILTER_TYPE_SUB_STR[FILTER_TYPE_SUB_COUNT] = {
    "6dB", "12dB", "18dB", "24dB", "36dB", "Vowel / Formant / Comb / Ring"};
static_assert(allEntriesSet(FILTER_TYPE_SUB_STR));

constexpr const char* const FILTER_MULTI_1_STR[FILTER_MULTI_1_COUNT] = {"LP", "HP"};
static_assert(allEntriesSet(FILTER_MULTI_1_STR));

constexpr const char* const FILTER_MULTI_2_STR[FILTER_MULTI_2_COUNT] = {"LP", "BP", "HP"};
static_assert(allEntriesSet(FILTER_MULTI_2_STR));

constexpr const char* const FILTER_VOWEL_STR[FILTER_VOWEL_COUNT] = {"A", "E", "I", "O", "U"};
static_assert(allEntriesSet(FILTER_VOWEL_STR));

constexpr const char* const EQ_FILTER_TYPE_STR[EQ_FILTER_TYPE_COUNT] = {"Off", "LP", "HP", "Both"};
static_assert(allEntriesSet(EQ_FILTER_TYPE_STR));

// The voice distortion's menu; REAL_DISTORT_MODES row 0 maps it to the combined modes.
constexpr const char* const DISTORT_VOICE_MODE_STR[DISTORT_VOICE_MODE_COUNT] = {
    "And",  "Atan",      "Clipper", "Cos 1",    "Cos 2",     "Cross 1",   "Cross 2", "Foldover",
    "Fuzz", "Gapper",    "Limiter", "Octave 1", "Octave 2",  "Overdrive", "Power",   "Rectify",
    "Rez",  "Saturator", "Shaper",  "Square",   "Transient", "Tube",      "Valve"};
static_assert(allEntriesSet(DISTORT_VOICE_MODE_STR));

// The combined distortion modes, also the distortion FX's menu.
constexpr const char* const DISTORT_FX_MODE_STR[DISTORT_FX_MODE_COUNT] = {
    "Amp",      "And",      "Atan",      "Cab",   "Clipper", "Cos 1",     "Cos 2",
    "Cross 1",  "Cross 2",  "Foldover",  "Fuzz",  "Gapper",  "Limiter",   "Low-Fi",
    "Octave 1", "Octave 2", "Overdrive", "Power", "Rectify", "Rez",       "Saturator",
    "Shaper",   "Square",   "Transient", "Tube",  "Valve",   "WaveShaper"};
static_assert(allEntriesSet(DISTORT_FX_MODE_STR));

// Slot 0 is the mix, slot 7 the post-boost, except in "Amp" and "Cab" (post-boost in slot 6,
// slot 7 an unused placeholder) and "Tube" (no pre-boost, six controls of its own).

constexpr const char* const DISTORT_MODE_VAR_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE] = {
    // 0 Amp
    {"Amp Mix", "Amp Pre-Boost", "Amp Model", "Amp Distort", "Amp Bass", "Amp Treble",
     "Amp Post-Boost", "Amp 7"},
    // 1 And
    {"And Mix", "And Pre-Boost", "And Amount", "And Multiply", "And Normal",
     "And Low Pass Filter Frequency", "And High Pass Filter Frequency", "And Post-Boost"},
    // 2 Atan
    {"Atan Mix", "Atan Pre-Boost", "Atan Amount", "Atan Symmetry", "Atan Normal",
     "Atan Low Pass Filter Frequency", "Atan High Pass Filter Frequency", "Atan Post-Boost"},
    // 3 Cab
    {"Cab Mix", "Cab Pre-Boost", "Cab Model", "Cab Distort", "Cab Bass", "Cab Treble",
     "Cab Post-Boost", "Cab 7"},
    // 4 Clipper
    {"Clipper Mix", "Clipper Pre-Boost", "Clipper Tone", "Clipper Limit", "Clipper Symmetry",
     "Clipper Low Pass Filter Frequency", "Clipper High Pass Filter Frequency",
     "Clipper Post-Boost"},
    // 5 Cos 1
    {"Cos 1 Mix", "Cos 1 Pre-Boost", "Cos 1 Frequency", "Cos 1 Shift", "Cos 1 Normal",
     "Cos 1 Low Pass Filter Frequency", "Cos 1 High Pass Filter Frequency", "Cos 1 Post-Boost"},
    // 6 Cos 2
    {"Cos 2 Mix", "Cos 2 Pre-Boost", "Cos 2 Start", "Cos 2 End", "Cos 2 Normal",
     "Cos 2 Low Pass Filter Frequency", "Cos 2 High Pass Filter Frequency", "Cos 2 Post-Boost"},
    // 7 Cross 1
    {"Cross 1 Mix", "Cross 1 Pre-Boost", "Cross 1 Cross", "Cross 1 Rectify", "Cross 1 Normal",
     "Cross 1 Low Pass Filter Frequency", "Cross 1 High Pass Filter Frequency",
     "Cross 1 Post-Boost"},
    // 8 Cross 2
    {"Cross 2 Mix", "Cross 2 Pre-Boost", "Cross 2 Amount", "Cross 2 Symmetry", "Cross 2 Normal",
     "Cross 2 Low Pass Filter Frequency", "Cross 2 High Pass Filter Frequency",
     "Cross 2 Post-Boost"},
    // 9 Foldover
    {"Foldover Mix", "Foldover Pre-Boost", "Foldover Amount", "Foldover Symmetry",
     "Foldover Normal", "Foldover Low Pass Filter Frequency", "Foldover High Pass Filter Frequency",
     "Foldover Post-Boost"},
    // 10 Fuzz
    {"Fuzz Mix", "Fuzz Pre-Boost", "Fuzz Amount", "Fuzz Frequency", "Fuzz Normal",
     "Fuzz Low Pass Filter Frequency", "Fuzz High Pass Filter Frequency", "Fuzz Post-Boost"},
    // 11 Gapper
    {"Gapper Mix", "Gapper Pre-Boost", "Gapper Amount", "Gapper Frequency", "Gapper Normal",
     "Gapper Low Pass Filter Frequency", "Gapper High Pass Filter Frequency", "Gapper Post-Boost"},
    // 12 Limiter
    {"Limiter Mix", "Limiter Pre-Boost", "Limiter Limit", "Limiter Amount", "Limiter Normal",
     "Limiter Low Pass Filter Frequency", "Limiter High Pass Filter Frequency",
     "Limiter Post-Boost"},
    // 13 Low-Fi
    {"Low-Fi Mix", "Low-Fi Pre-Boost", "Low-Fi Sample Rate", "Low-Fi Bits", "Low-Fi Noise",
     "Low-Fi Low Pass Filter Frequency", "Low-Fi High Pass Filter Frequency", "Low-Fi Post-Boost"},
    // 14 Octave 1
    {"Octave 1 Mix", "Octave 1 Pre-Boost", "Octave 1 Negative", "Octave 1 Positive",
     "Octave 1 Normal", "Octave 1 Low Pass Filter Frequency", "Octave 1 High Pass Filter Frequency",
     "Octave 1 Post-Boost"},
    // 15 Octave 2
    {"Octave 2 Mix", "Octave 2 Pre-Boost", "Octave 2 Frequency", "Octave 2 Symmetry",
     "Octave 2 Normal", "Octave 2 Low Pass Filter Frequency", "Octave 2 High Pass Filter Frequency",
     "Octave 2 Post-Boost"},
    // 16 Overdrive
    {"Overdrive Mix", "Overdrive Pre-Boost", "Overdrive Amount", "Overdrive Symmetry",
     "Overdrive Normal", "Overdrive Low Pass Filter Frequency",
     "Overdrive High Pass Filter Frequency", "Overdrive Post-Boost"},
    // 17 Power
    {"Power Mix", "Power Pre-Boost", "Power Amount", "Power Symmetry", "Power Normal",
     "Power Low Pass Filter Frequency", "Power High Pass Filter Frequency", "Power Post-Boost"},
    // 18 Rectify
    {"Rectify Mix", "Rectify Pre-Boost", "Rectify Amount", "Rectify Distort", "Rectify Normal",
     "Rectify Low Pass Filter Frequency", "Rectify High Pass Filter Frequency",
     "Rectify Post-Boost"},
    // 19 Rez
    {"Rez Mix", "Rez Pre-Boost", "Rez Amount", "Rez Frequency", "Rez Normal",
     "Rez Low Pass Filter Frequency", "Rez High Pass Filter Frequency", "Rez Post-Boost"},
    // 20 Saturator
    {"Saturator Mix", "Saturator Pre-Boost", "Saturator Amount", "Saturator Symmetry",
     "Saturator Normal", "Saturator Low Pass Filter Frequency",
     "Saturator High Pass Filter Frequency", "Saturator Post-Boost"},
    // 21 Shaper
    {"Shaper Mix", "Shaper Pre-Boost", "Shaper Wave Mix", "Shaper Amount", "Shaper Normal",
     "Shaper Low Pass Filter Frequency", "Shaper High Pass Filter Frequency", "Shaper Post-Boost"},
    // 22 Square
    {"Square Mix", "Square Pre-Boost", "Square Amount", "Square Symmetry", "Square Normal",
     "Square Low Pass Filter Frequency", "Square High Pass Filter Frequency", "Square Post-Boost"},
    // 23 Transient
    {"Transient Mix", "Transient Pre-Boost", "Transient Amount", "Transient Range",
     "Transient Normal", "Transient Low Pass Filter Frequency",
     "Transient High Pass Filter Frequency", "Transient Post-Boost"},
    // 24 Tube
    {"Tube Mix", "Tube Limiter", "Tube Rectification", "Tube Distortion", "Tube Tone",
     "Tube Emphasis", "Tube Modulation", "Tube Post-Boost"},
    // 25 Valve
    {"Valve Mix", "Valve Pre-Boost", "Valve Amount", "Valve Symmetry", "Valve Normal",
     "Valve Low Pass Filter Frequency", "Valve High Pass Filter Frequency", "Valve Post-Boost"},
    // 26 WaveShaper
    {"WaveShaper Mix", "WaveShaper Pre-Boost", "WaveShaper Top", "WaveShaper Bottom",
     "WaveShaper Rect", "WaveShaper Low Pass Filter Frequency",
     "WaveShaper High Pass Filter Frequency", "WaveShaper Post-Boost"},
};
static_assert(allEntriesSet(DISTORT_MODE_VAR_STR));

constexpr const char* const
    DISTORT_MODE_VAR_SHORT_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE] = {
        // 0 Amp
        {"Amp Mix", "Amp Pre", "Amp Model", "Amp Dist", "Amp Bass", "Amp Treb", "Amp Boost",
         "Amp 7"},
        // 1 And
        {"And Mix", "And Pre", "And Amt", "And Mult", "And Norm", "And LP", "And HP", "And Boost"},
        // 2 Atan
        {"Atan Mix", "Atan Pre", "Atan Amt", "Atan Sym", "Atan Norm", "Atan LP", "Atan HP",
         "Atan Boost"},
        // 3 Cab
        {"Cab Mix", "Cab Pre", "Cab Model", "Cab Dist", "Cab Bass", "Cab Treb", "Cab Boost",
         "Cab 7"},
        // 4 Clipper
        {"Clip Mix", "Clip Pre", "Clip Tone", "Clip Limit", "Clip Sym", "Clip LP", "Clip HP",
         "Clip Boost"},
        // 5 Cos 1
        {"Cos1 Mix", "Cos1 Pre", "Cos1 Freq", "Cos1 Shift", "Cos1 Norm", "Cos1 LP", "Cos1 HP",
         "Cos1 Boost"},
        // 6 Cos 2
        {"Cos2 Mix", "Cos2 Pre", "Cos2 Start", "Cos2 End", "Cos2 Norm", "Cos2 LP", "Cos2 HP",
         "Cos2 Boost"},
        // 7 Cross 1
        {"Crs1 Mix", "Crs1 Pre", "Crs1 Cross", "Crs1 Rect", "Crs1 Norm", "Crs1 LP", "Crs1 HP",
         "Crs1 Boost"},
        // 8 Cross 2
        {"Crs2 Mix", "Crs2 Pre", "Crs2 Amt", "Crs2 Sym", "Crs2 Norm", "Crs2 LP", "Crs2 HP",
         "Crs2 Boost"},
        // 9 Foldover
        {"Fold Mix", "Fold Pre", "Fold Amt", "Fold Sym", "Fold Norm", "Fold LP", "Fold HP",
         "Fold Boost"},
        // 10 Fuzz
        {"Fuzz Mix", "Fuzz Pre", "Fuzz Amt", "Fuzz Freq", "Fuzz Norm", "Fuzz LP", "Fuzz HP",
         "Fuzz Boost"},
        // 11 Gapper
        {"Gap Mix", "Gap Pre", "Gap Amt", "Gap Freq", "Gap Norm", "Gap LP", "Gap HP", "Gap Boost"},
        // 12 Limiter
        {"Lmt Mix", "Lmt Pre", "Lmt Limit", "Lmt Amt", "Lmt Norm", "Lmt LP", "Lmt HP", "Lmt Boost"},
        // 13 Low-Fi
        {"Low Mix", "Low Pre", "Low Rate", "Low Bits", "Low Nse", "Low LP", "Low HP", "Low Boost"},
        // 14 Octave 1
        {"Oct1 Mix", "Oct1 Pre", "Oct1 Neg", "Oct1 Pos", "Oct1 Norm", "Oct1 LP", "Oct1 HP",
         "Oct1 Boost"},
        // 15 Octave 2
        {"Oct2 Mix", "Oct2 Pre", "Oct2 Freq", "Oct2 Sym", "Oct2 Norm", "Oct2 LP", "Oct2 HP",
         "Oct2 Boost"},
        // 16 Overdrive
        {"Over Mix", "Over Pre", "Over Amt", "Over Sym", "Over Norm", "Over LP", "Over HP",
         "Over Boost"},
        // 17 Power
        {"Pwr Mix", "Pwr Pre", "Pwr Amt", "Pwr Sym", "Pwr Norm", "Pwr LP", "Pwr HP", "Pwr Boost"},
        // 18 Rectify
        {"Rect Mix", "Rect Pre", "Rect Amt", "Rect Dist", "Rect Norm", "Rect LP", "Rect HP",
         "Rect Boost"},
        // 19 Rez
        {"Rez Mix", "Rez Pre", "Rez Amt", "Rez Freq", "Rez Norm", "Rez LP", "Rez HP", "Rez Boost"},
        // 20 Saturator
        {"Sat Mix", "Sat Pre", "Sat Amt", "Sat Sym", "Sat Norm", "Sat LP", "Sat HP", "Sat Boost"},
        // 21 Shaper
        {"Shaper Mix", "Shaper Pre", "Shaper Wave", "Shaper Amt", "Shaper Norm", "Shaper LP",
         "Shaper HP", "Shaper Boost"},
        // 22 Square
        {"Sqr Mix", "Sqr Pre", "Sqr Amt", "Sqr Sym", "Sqr Norm", "Sqr LP", "Sqr HP", "Sqr Boost"},
        // 23 Transient
        {"Tran Mix", "Tran Pre", "Tran Amt", "Tran Range", "Tran Norm", "Tran LP", "Tran HP",
         "Tran Boost"},
        // 24 Tube
        {"Tube Mix", "Tube Lmt", "Tube Rect", "Tube Dist", "Tube Tone", "Tube Emph", "Tube Mod",
         "Tube Boost"},
        // 25 Valve
        {"Vlv Mix", "Vlv Pre", "Vlv Amt", "Vlv Sym", "Vlv Norm", "Vlv LP", "Vlv HP", "Vlv Boost"},
        // 26 WaveShaper
        {"Wave Mix", "Wave Pre", "Wave Top", "Wave Btm", "Wave Rect", "Wave LP", "Wave HP",
         "Wave Boost"},
};
static_assert(allEntriesSet(DISTORT_MODE_VAR_SHORT_STR));

constexpr const char* const DISTORT_MODE_LABEL_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE] =
    {
        // 0 Amp
        {"MIX", "PRE", "MODEL", "DISTORT", "BASS", "TREBLE", "BOOST", ""},
        // 1 And
        {"MIX", "PRE", "AMOUNT", "MULT", "NORM", "LP", "HP", "BOOST"},
        // 2 Atan
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 3 Cab
        {"MIX", "PRE", "MODEL", "DISTORT", "BASS", "TREBLE", "BOOST", ""},
        // 4 Clipper
        {"MIX", "PRE", "TONE", "LIMIT", "SYM", "LP", "HP", "BOOST"},
        // 5 Cos 1
        {"MIX", "PRE", "FREQ", "SHIFT", "NORM", "LP", "HP", "BOOST"},
        // 6 Cos 2
        {"MIX", "PRE", "START", "END", "NORM", "LP", "HP", "BOOST"},
        // 7 Cross 1
        {"MIX", "PRE", "CROSS", "RECT", "NORM", "LP", "HP", "BOOST"},
        // 8 Cross 2
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 9 Foldover
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 10 Fuzz
        {"MIX", "PRE", "AMOUNT", "FREQ", "NORM", "LP", "HP", "BOOST"},
        // 11 Gapper
        {"MIX", "PRE", "AMOUNT", "FREQ", "NORM", "LP", "HP", "BOOST"},
        // 12 Limiter
        {"MIX", "PRE", "LIMIT", "AMOUNT", "NORM", "LP", "HP", "BOOST"},
        // 13 Low-Fi
        {"MIX", "PRE", "RATE", "BITS", "NOISE", "LP", "HP", "BOOST"},
        // 14 Octave 1
        {"MIX", "PRE", "NEG", "POS", "NORM", "LP", "HP", "BOOST"},
        // 15 Octave 2
        {"MIX", "PRE", "FREQ", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 16 Overdrive
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 17 Power
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 18 Rectify
        {"MIX", "PRE", "AMOUNT", "DISTRT", "NORM", "LP", "HP", "BOOST"},
        // 19 Rez
        {"MIX", "PRE", "AMOUNT", "FREQ", "NORM", "LP", "HP", "BOOST"},
        // 20 Saturator
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 21 Shaper
        {"MIX", "PRE", "WAVE", "AMOUNT", "NORM", "LP", "HP", "BOOST"},
        // 22 Square
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 23 Transient
        {"MIX", "PRE", "AMOUNT", "RANGE", "NORM", "LP", "HP", "BOOST"},
        // 24 Tube
        {"MIX", "LIMIT", "RECT", "DISTRT", "TONE", "EMPHSIS", "MOD", "BOOST"},
        // 25 Valve
        {"MIX", "PRE", "AMOUNT", "SYM", "NORM", "LP", "HP", "BOOST"},
        // 26 WaveShaper
        {"MIX", "PRE", "TOP", "BOTTOM", "RECT", "LP", "HP", "BOOST"},
};
static_assert(allEntriesSet(DISTORT_MODE_LABEL_STR));

constexpr const char* const AMP_MODEL_STR[AMP_MODEL_COUNT] = {"None", "4x10",  "4x12",
                                                              "Bass", "Combo", "Radio"};
static_assert(allEntriesSet(AMP_MODEL_STR));

constexpr const char* const CAB_MODEL_STR[CAB_MODEL_COUNT] = {"None", "Fender", "Marshall",
                                                              "Off Axis"};
static_assert(allEntriesSet(CAB_MODEL_STR));

constexpr const char* const MOD_FX_MODE_STR[MOD_FX_MODE_COUNT] = {
    "Chorus", "Tape Chorus", "Flanger", "Tape Flanger", "Ensemble",
    "Phaser", "WahWah",      "Tremolo", "AutoPan",      "Ring Modulation"};
static_assert(allEntriesSet(MOD_FX_MODE_STR));

// The tape modes repeat the names of their plain twins; "N/A" marks an unused control.

constexpr const char* const MOD_FX_LABEL_STR[MOD_FX_MODE_COUNT][MOD_FX_CONTROLS_PER_MODE] = {
    // 0 Chorus
    {"Chorus Length", "Chorus Width", "Chorus Speed", "Chorus Widen"},
    // 1 Tape Chorus
    {"Chorus Length", "Chorus Width", "Chorus Speed", "Chorus Widen"},
    // 2 Flanger
    {"Flanger Length", "Flanger Width", "Flanger Speed", "Flanger Feedback"},
    // 3 Tape Flanger
    {"Flanger Length", "Flanger Width", "Flanger Speed", "Flanger Feedback"},
    // 4 Ensemble
    {"Ensemble Length", "Ensemble Width", "Ensemble Speed", "Ensemble Feedback"},
    // 5 Phaser
    {"Phaser Frequency", "Phaser Width", "Phaser Speed", "Phaser Feedback"},
    // 6 WahWah
    {"WahWah Low", "WahWah High", "WahWah Speed", "WahWah Q"},
    // 7 Tremolo
    {"Tremolo Wave", "Tremolo Amount", "Tremolo Speed", "Tremolo N/A"},
    // 8 AutoPan
    {"AutoPan Wave", "AutoPan Amount", "AutoPan Speed", "AutoPan N/A"},
    // 9 Ring Modulation
    {"RingMod Wave", "RingMod Amount", "RingMod Frequency", "RingMod Fine"},
};
static_assert(allEntriesSet(MOD_FX_LABEL_STR));

constexpr const char* const RING_STR[RING_COUNT] = {"Sine", "Triangle", "Saw", "Square"};
static_assert(allEntriesSet(RING_STR));

constexpr const char* const GATER_MODE_STR[GATER_MODE_COUNT] = {"Global", "Voice"};
static_assert(allEntriesSet(GATER_MODE_STR));

constexpr const char* const GATER_POS_STR[GATER_POS_COUNT] = {"Pre Delay", "Post Reverb"};
static_assert(allEntriesSet(GATER_POS_STR));

constexpr const char* const GATER_STEPS_STR[GATER_STEPS_COUNT] = {
    "01 Step",  "02 Steps", "03 Steps", "04 Steps", "05 Steps", "06 Steps", "07 Steps", "08 Steps",
    "09 Steps", "10 Steps", "11 Steps", "12 Steps", "13 Steps", "14 Steps", "15 Steps", "16 Steps"};
static_assert(allEntriesSet(GATER_STEPS_STR));

constexpr const char* const USER_WAVE_SECTIONS_STR[USER_WAVE_SECTIONS_COUNT] = {
    "Sine", "Saw", "Square", "Other Waves", "Brass", "Keys", "Plucked", "String / Wind", "Vocal"};
static_assert(allEntriesSet(USER_WAVE_SECTIONS_STR));

constexpr const char* const USER_WAVE_SHAPER_MODE_STR[USER_WAVE_SHAPER_MODE_COUNT] = {
    "Manual",    "Volume",  "Volume Ramp", "Shift", "Offset",  "Sym", "Multi",
    "Ping-Pong", "Stretch", "Smooth",      "Ring",  "Distort", "Bits"};
static_assert(allEntriesSet(USER_WAVE_SHAPER_MODE_STR));

// Preset 0 is "None"; the sections follow in the order of USER_WAVE_SECTIONS_STR. Menus look
// titles up from index 0, so the repeated "Octave " and "Vocal" resolve to their first index.
constexpr const char* const USER_WAVE_PRESET_STR[USER_WAVE_PRESET_COUNT] = {
    "None",
    // Sine, 1..6
    "Sine",
    "Sine_Dist",
    "Sine_Half1",
    "Sine_Half2",
    "Sine_Rect",
    "Sine_Rough",
    // Saw, 7..34
    "FAT_Saw",
    "ZQ_Saw_1",
    "ZQ_Saw_Tooth1",
    "Ramp",
    "Saw",
    "Saw_Round2",
    "Saw_01",
    "Saw_10",
    "Saw_02",
    "Saw_03",
    "Saw_303a",
    "Saw_303b",
    "Saw_04",
    "Saw_05",
    "Saw_06",
    "Saw_07",
    "Saw_08",
    "Saw_09",
    "Saw_Cut",
    "Saw_Double",
    "Saw_Exp",
    "Saw_Fat",
    "Saw_FM",
    "Saw_Moog",
    "Saw_Rez_1",
    "Saw_Rez_2",
    "Saw_Round_1",
    "Saw_Round_3",
    // Square, 35..60
    "FAT_Sqr",
    "ZQ_Seq_1",
    "Pulse_Mod",
    "Pulse_Sat",
    "Sqr",
    "Sqr_1",
    "Sqr_2",
    "Sqr_3",
    "Sqr_3_Step",
    "Sqr_4",
    "Sqr_5",
    "Sqr_Ana_1",
    "Sqr_Ana_2",
    "Sqr_Ana_3",
    "Sqr_Double",
    "Sqr_FM_1",
    "Sqr_FM_2",
    "Sqr_FM_3",
    "Sqr_Moog",
    "Sqr_Pulse_1",
    "Sqr_Pulse_2",
    "Sqr_Pulse_3",
    "Sqr_Pulse_4",
    "Sqr_Pulse_5",
    "Sqr_Pulse_6",
    "Syn_Pulse_2",
    // Other Waves, 61..101
    "Add_1",
    "Bat",
    "Bright_Tri",
    "Vornak",
    "Buzz",
    "CanWave",
    "Cutters",
    "Digi",
    "Digital_1",
    "Digital_2",
    "Digital_3",
    "Digi_Wave",
    "Exp",
    "Glassy_1",
    "Glassy_2",
    "Hollow",
    "Impulse_1",
    "Impulse_2",
    "Metal",
    "Metal_1",
    "Metal_2",
    "MuWave",
    "Nasty",
    "Octave ",
    "Overtone",
    "Ramp_1",
    "Ramp_2",
    "Rezon_1",
    "Rezon_2",
    "Soft_Pad",
    "Soft_Tri",
    "Sync",
    "Thin_1",
    "Thin_2",
    "Tri_1",
    "Tri_2",
    "Tri_3",
    "Tri",
    "Tri_Number ",
    "Wire",
    "Wire_Str",
    // Brass, 102..118
    "Brass_A",
    "Brass_S",
    "Brass_Horn_1",
    "French_Horn",
    "Horn_2",
    "Horn_3",
    "Reed",
    "Sax",
    "SynSax",
    "Tromb_A",
    "Tromb_B",
    "Tromb_S",
    "Trump_A",
    "Trump_B",
    "Trump_C",
    "Trump_S",
    "Tuba",
    // Keys, 119..164
    "Accord",
    "Bell_EP",
    "Bell_Wave",
    "Chrom",
    "Church_1",
    "Church_2",
    "Clav",
    "Clavi_A",
    "Clavi_S",
    "Clavi_S2",
    "Clav_Wave",
    "Draw_Bar",
    "Dwgs_EP",
    "Dwgs_Organ_1",
    "EPiano_A",
    "EPiano_1",
    "EPiano_2",
    "EPiano_3",
    "EPiano_4",
    "EPiano_5",
    "EPiano_6",
    "EPiano_7",
    "Hard_EPiano",
    "Harmonica_1",
    "Harmonica_2",
    "Harp_A1",
    "Harp_A2",
    "Harp_S1",
    "Harp_S2",
    "Jazz",
    "Octave ",
    "Organ_1",
    "Organ_2",
    "Organ_3",
    "Organ_4",
    "Organ_5",
    "Piano",
    "Piano_1",
    "Piano_2",
    "Piano_3",
    "Piano_S1",
    "Piano_S2",
    "Piano_S3",
    "Pipe",
    "Reed_1",
    "Reed_2",
    // Plucked, 165..199
    "Ac_Bass_1",
    "Ac_Bass_2",
    "Ac_Bass_3",
    "Bass_1",
    "Bass_2",
    "Bass_3",
    "Bass_4",
    "Bass_Finger",
    "Bass_Guitar",
    "Bass_Mute",
    "Bass_Wave",
    "E-Guitar",
    "Fret_1",
    "Fret_2",
    "FunkBass_1",
    "FunkBass_2",
    "GHarm_1",
    "Guitar_A1",
    "Guitar_A2",
    "Guitar_S1",
    "Guitar_S2",
    "Guitar_S3",
    "Koto",
    "Ob_Bass",
    "Pick",
    "Pluck_A1",
    "Pluck_S1",
    "Sitar",
    "SlapBass_A",
    "SlapBass_S",
    "Steel",
    "SynBass",
    "SynBass_1",
    "SynBass_2",
    "Vibes",
    // String / Wind, 200..223
    "BagPipe",
    "Cello",
    "Cello_1",
    "Cello_2",
    "Clari",
    "Clarinet_1",
    "Clarinet_2",
    "Clarinet_3",
    "Contrbs",
    "Flute_1",
    "Flute_2",
    "Flute_3",
    "Oboe_1",
    "Oboe_2",
    "Pan_1",
    "Pan_2",
    "Pan_3",
    "String_1",
    "String_2",
    "Violin_1",
    "Violin_2",
    "Whistle_1",
    "Whistle_2",
    "Wobbles",
    // Vocal, 224..236
    "Aah",
    "QV_Voice",
    "OO_Vocal",
    "Spark_Vocal_1",
    "Spark_Vocal_2",
    "Vocal_1",
    "Vocal_2",
    "Vocal",
    "Vowel_A",
    "Vowel_E",
    "Vowel_O",
    "Vowel_U",
    "Vocal",
};
static_assert(allEntriesSet(USER_WAVE_PRESET_STR));
