// Names of the modulation matrix's sources and destinations: full names for the menus, short
// names for the slot value texts, and the group headings of the submenus.
// Constant data; read by the audio and user-interface threads without locks.

#include "engine/params/StringTables.h"

// Index 0 of every source and destination table is "None": an empty slot, or a parameter
// that is no modulation destination. Stored sounds keep these indexes: never renumber.

constexpr const char* const SRC_STR[SRC_COUNT] = {
    "None", // 0
    // MIDI Mod Sources
    "Mod Wheel",               // 1
    "Mod Wheel / Aftertouch",  // 2
    "Channel Aftertouch",      // 3
    "Poly Aftertouch",         // 4
    "Note",                    // 5
    "Center Note",             // 6
    "Note Random 1",           // 7
    "Note UniPolar Random 1 ", // 8
    "Note Random 2",           // 9
    "Note UniPolar Random 2 ", // 10
    "2 Alternate",             // 11
    "2 UniPolar Alternate",    // 12
    "3 Alternate",             // 13
    "3 UniPolar Alternate",    // 14
    "4 Alternate",             // 15
    "4 UniPolar Alternate ",   // 16
    "Velocity",                // 17
    "Pitchbend",               // 18
    "CC 2 (Breath)",           // 19
    "CC 3",                    // 20
    "CC4 (Foot)",              // 21
    "CC11 (Expression)",       // 22
    "CC 16",                   // 23
    "CC 17",                   // 24
    "CC 18",                   // 25
    "CC 19",                   // 26
    "CC 20",                   // 27
    "CC 21",                   // 28
    "CC64 (Sustain)",          // 29
    "CC74 (Brightness)",       // 30
    "CC 84",                   // 31
    "CC 85",                   // 32
    "CC 86",                   // 33
    "CC 87",                   // 34
    "CC 88",                   // 35
    "CC 89",                   // 36
    "CC 90",                   // 37
    "CC 113",                  // 38
    "CC 114",                  // 39
    // Modulator Envelope / LFO Sources
    "Osc 1 Amp Envelope",           // 40
    "Osc 1 Amp Inverse Envelope",   // 41
    "Osc 1 Pitch Envelope",         // 42
    "Osc 1 Pitch Inverse Envelope", // 43
    "Osc 2 Amp Envelope",           // 44
    "Osc 2 Amp Inverse Envelope",   // 45
    "Osc 2 Pitch Envelope",         // 46
    "Osc 2 Pitch Inverse Envelope", // 47
    "Filter Envelope",              // 48
    "Filter Inverse Envelope",      // 49
    "Amp Envelope",                 // 50
    "Amp Inverse Envelope",         // 51
    "Free Envelope 1",              // 52
    "Free Inverse Envelope 1",      // 53
    "Free Envelope 2",              // 54
    "Free Inverse Envelope 2",      // 55
    "Osc 1 LFO",                    // 56
    "Osc 1 UniPolar LFO",           // 57
    "Osc 2 LFO",                    // 58
    "Osc 2 UniPolar LFO",           // 59
    "Main LFO",                     // 60
    "Main UniPolar LFO ",           // 61
    "Free LFO 1",                   // 62
    "Free UniPolar LFO 1",          // 63
    "Free LFO 2",                   // 64
    "Free UniPolar LFO 2",          // 65
    "Free LFO 1/2",                 // 66
    "Free UniPolar LFO 1/2",        // 67
    // Modulator XY / Gater / Ribbon / Arp Sources
    "Osc 1 Zek X",          // 68
    "Osc 1 Zek UniPolar X", // 69
    "Osc 1 Zek Y",          // 70
    "Osc 1 Zek UniPolar Y", // 71
    "Osc 1 Zek Distance",   // 72
    "Osc 2 Zek X",          // 73
    "Osc 2 Zek UniPolar X", // 74
    "Osc 2 Zek Y",          // 75
    "Osc 2 Zek UniPolar Y", // 76
    "Osc 2 Zek Distance",   // 77
    "Gater Left",           // 78
    "Gater Right",          // 79
    "Gater Average",        // 80
    "Ribbon",               // 81
    "Arp On / Off",         // 82
    "Arp Tune",             // 83
    "Arp Velocity",         // 84
    "Arp Free 1",           // 85
    "Arp Smoothed Free 1 ", // 86
    "Arp Free 2",           // 87
    "Arp Smoothed Free 2 ", // 88
    // Output / Other Mod Sources
    "Input",                // 89
    "Osc 1 Output",         // 90
    "Osc 2 Output",         // 91
    "Osc 1 + 2 Output",     // 92
    "Filter Output",        // 93
    "Pre-EQ Output",        // 94
    "WaveShaper Output",    // 95
    "Distort Output",       // 96
    "Low-Fi Output",        // 97
    "Post-EQ Output",       // 98
    "Voice Output",         // 99
    "Output",               // 100
    "Offset",               // 101
    "White Noise",          // 102
    "White UniPolar Noise", // 103
    "Pink Noise",           // 104
    "Pink UniPolar Noise",  // 105
};
static_assert(allEntriesSet(SRC_STR));

constexpr const char* const SRC_SHORT_STR[SRC_SHORT_COUNT] = {
    "None", // 0
    // MIDI Mod Sources
    "Mod Wheel",      // 1
    "Mod/After",      // 2
    "Ch After",       // 3
    "Poly After",     // 4
    "Note",           // 5
    "Centre Note",    // 6
    "Note Rnd 1",     // 7
    "Uni Note Rnd 1", // 8
    "Note Rnd 2",     // 9
    "Uni Note Rnd 2", // 10
    "2 Alt",          // 11
    "2 Uni Alt",      // 12
    "3 Alt",          // 13
    "3 Uni Alt",      // 14
    "4 Alt",          // 15
    "4 Uni Alt",      // 16
    "Velocity",       // 17
    "Pitchbend",      // 18
    "CC2 ",           // 19
    "CC3",            // 20
    "CC4",            // 21
    "CC11",           // 22
    "CC16",           // 23
    "CC17",           // 24
    "CC18",           // 25
    "CC19",           // 26
    "CC20",           // 27
    "CC21",           // 28
    "CC64",           // 29
    "CC74",           // 30
    "CC84",           // 31
    "CC85",           // 32
    "CC86",           // 33
    "CC87",           // 34
    "CC88",           // 35
    "CC89",           // 36
    "CC90",           // 37
    "CC113",          // 38
    "CC114",          // 39
    // Modulator Envelope / LFO Sources
    "Osc1 Amp Env",     // 40
    "Osc1 Amp Inv Env", // 41
    "Osc1 Ptc Env",     // 42
    "Osc1 Ptc Inv Env", // 43
    "Osc2 Amp Env",     // 44
    "Osc2 Amp Inv Env", // 45
    "Osc2 Ptc Env",     // 46
    "Osc2 Ptc Inv Env", // 47
    "Filter Env",       // 48
    "Filter Inv Env",   // 49
    "Amp Env",          // 50
    "Amp Inv Env",      // 51
    "Free Env 1",       // 52
    "Free Inv Env 1",   // 53
    "Free Env 2",       // 54
    "Free Inv Env 2",   // 55
    "Osc1 LFO",         // 56
    "Osc1 Uni LFO",     // 57
    "Osc2 LFO",         // 58
    "Osc2 Uni LFO",     // 59
    "Main LFO",         // 60
    "Main Uni LFO ",    // 61
    "Free LFO 1",       // 62
    "Free Uni LFO 1",   // 63
    "Free LFO 2",       // 64
    "Free LFO Uni 2",   // 65
    "Free LFO 1/2",     // 66
    "Free Uni LFO 1/2", // 67
    // Modulator XY / Gater / Ribbon / Arp Sources
    "Osc1 Zek X",      // 68
    "Osc1 Zek Uni X",  // 69
    "Osc1 Zek Y",      // 70
    "Osc1 Zek Uni Y",  // 71
    "Osc1 Zek Dist",   // 72
    "Osc2 Zek X",      // 73
    "Osc2 Zek Uni X",  // 74
    "Osc2 Zek Y",      // 75
    "Osc2 Zek Uni Y",  // 76
    "Osc2 Zek Dist",   // 77
    "Gater Left",      // 78
    "Gater Right",     // 79
    "Gater Average",   // 80
    "Ribbon",          // 81
    "Arp On/Off",      // 82
    "Arp Tune",        // 83
    "Arp Velocity",    // 84
    "Arp Free 1",      // 85
    "Arp Smth Free 1", // 86
    "Arp Free 2",      // 87
    "Arp Smth Free 2", // 88
    // Output / Other Mod Sources
    "Input",           // 89
    "Osc1 Out",        // 90
    "Osc2 Out",        // 91
    "Osc1+2 Out",      // 92
    "Filter Out",      // 93
    "Pre-EQ Out",      // 94
    "WaveShaper Out",  // 95
    "Distort Out",     // 96
    "Low-Fi Out",      // 97
    "Post-EQ Out",     // 98
    "Voice Out",       // 99
    "Output",          // 100
    "Offset",          // 101
    "White Noise",     // 102
    "White Uni Noise", // 103
    "Pink Noise",      // 104
    "Pink Uni Noise",  // 105
};
static_assert(allEntriesSet(SRC_SHORT_STR));

constexpr const char* const SRC_SUB_STR[SRC_SUB_COUNT] = {
    "MIDI Mod Sources", "Modulator Envelope / LFO Sources",
    "Modulator XY / Gater / Ribbon / Arp Sources", "Output / Other Mod Sources"};
static_assert(allEntriesSet(SRC_SUB_STR));

constexpr const char* const DEST_STR[DEST_COUNT] = {
    "None", // 0
    // Global
    "Main Volume",           // 1
    "Voice Volume",          // 2
    "Velocity > Volume",     // 3
    "Velocity Shape",        // 4
    "Main LFO > Volume",     // 5
    "Pan",                   // 6
    "Main LFO > Pan",        // 7
    "Global Pitch",          // 8
    "Global Fine Pitch",     // 9
    "Portamento Amount",     // 10
    "Global Envelope Speed", // 11
    "Global LFO Speed",      // 12
    "Unison Amount",         // 13
    "Unison Spread",         // 14
    "Unison Delay",          // 15
    // Osc 1
    "Osc 1 Volume",        // 16
    "Osc 1 Pan",           // 17
    "Osc 1 Up Pan",        // 18
    "Osc 1 Down Pan",      // 19
    "Osc 1 Octave",        // 20
    "Osc 1 Semi",          // 21
    "Osc 1 Up Semi",       // 22
    "Osc 1 Down Semi",     // 23
    "Osc 1 Fine",          // 24
    "Osc 1 Spread",        // 25
    "Osc 1 Up Spread",     // 26
    "Osc 1 Down Spread",   // 27
    "Osc 1 Symmetry",      // 28
    "Osc 1 Feedback",      // 29
    "Osc 1 Phase",         // 30
    "Osc 1 Wrap",          // 31
    "Osc 1 Wrap Symmetry", // 32
    "Osc 1 Bits",          // 33
    "Osc 1 ZEK X",         // 34
    "Osc 1 ZEK Y",         // 35
    "Osc 1 ZEK Amount",    // 36
    "Osc 1 LFO > ZEK X",   // 37
    "Osc 1 LFO > ZEK Y",   // 38
    "Osc 1 ZEK Speed",     // 39
    "Osc 1 Sub-Volume",    // 40
    "Osc 1 Sub Tune",      // 41
    "Osc 1 Sub Symmetry",  // 42
    "Osc 1 Sub Phase",     // 43
    "Osc 1 Sub Pan",       // 44
    // Osc 1 LFO/Envelope
    "Osc 1 LFO Speed",                // 45
    "Osc 1 LFO > PWM",                // 46
    "Osc 1 LFO > Amp",                // 47
    "Osc 1 LFO > Pitch",              // 48
    "Osc 1 LFO Key Track",            // 49
    "Osc 1 Amp Envelope Speed",       // 50
    "Osc 1 Amp Envelope Amount",      // 51
    "Osc 1 Amp Envelope Attack",      // 52
    "Osc 1 Amp Envelope Decay",       // 53
    "Osc 1 Amp Envelope Sustain",     // 54
    "Osc 1 Amp Envelope Release",     // 55
    "Osc 1 Amp Envelope Key Track",   // 56
    "Osc 1 Pitch Envelope Speed",     // 57
    "Osc 1 Pitch Envelope Amount",    // 58
    "Osc 1 Pitch Envelope Attack",    // 59
    "Osc 1 Pitch Envelope Decay",     // 60
    "Osc 1 Pitch Envelope Sustain",   // 61
    "Osc 1 Pitch Envelope Release",   // 62
    "Osc 1 Pitch Envelope Key Track", // 63
    // Osc 2
    "Osc 2 Volume",        // 64
    "Osc 2 Pan",           // 65
    "Osc 2 Up Pan",        // 66
    "Osc 2 Down Pan",      // 67
    "Osc 2 Octave",        // 68
    "Osc 2 Semi",          // 69
    "Osc 2 Up Semi",       // 70
    "Osc 2 Down Semi",     // 71
    "Osc 2 Fine",          // 72
    "Osc 2 Spread",        // 73
    "Osc 2 Up Spread",     // 74
    "Osc 2 Down Spread",   // 75
    "Osc 2 Mod Amount",    // 76
    "Osc 2 Sync",          // 77
    "Osc 2 Symmetry",      // 78
    "Osc 2 Feedback",      // 79
    "Osc 2 Phase",         // 80
    "Osc 2 Wrap",          // 81
    "Osc 2 Wrap Symmetry", // 82
    "Osc 2 Bits",          // 83
    "Osc 2 ZEK X",         // 84
    "Osc 2 ZEK Y",         // 85
    "Osc 2 ZEK Amount",    // 86
    "Osc 2 LFO > ZEK X",   // 87
    "Osc 2 LFO > ZEK Y",   // 88
    "Osc 2 ZEK Speed",     // 89
    "Osc 2 Sub-Volume",    // 90
    "Osc 2 Sub Tune",      // 91
    "Osc 2 Sub Symmetry",  // 92
    "Osc 2 Sub Phase",     // 93
    "Osc 2 Sub Pan",       // 94
    // Osc 2 LFO/Envelope
    "Osc 2 LFO Speed",                // 95
    "Osc 2 LFO > PWM",                // 96
    "Osc 2 LFO > Amp",                // 97
    "Osc 2 LFO > Pitch",              // 98
    "Osc 2 LFO Key Track",            // 99
    "Osc 2 Amp Envelope Speed",       // 100
    "Osc 2 Amp Envelope Amount",      // 101
    "Osc 2 Amp Envelope Attack",      // 102
    "Osc 2 Amp Envelope Decay",       // 103
    "Osc 2 Amp Envelope Sustain",     // 104
    "Osc 2 Amp Envelope Release",     // 105
    "Osc 2 Amp Envelope Key Track",   // 106
    "Osc 2 Pitch Envelope Speed",     // 107
    "Osc 2 Pitch Envelope Amount",    // 108
    "Osc 2 Pitch Envelope Attack",    // 109
    "Osc 2 Pitch Envelope Decay",     // 110
    "Osc 2 Pitch Envelope Sustain",   // 111
    "Osc 2 Pitch Envelope Release",   // 112
    "Osc 2 Pitch Envelope Key Track", // 113
    // FIlter
    "Filter Frequency",              // 114
    "Filter Stereo Offset",          // 115
    "Filter Q/Amount",               // 116
    "Filter Vowel/Formant/Mix",      // 117
    "Filter Pan",                    // 118
    "Filter Envelope Amount",        // 119
    "Filter Envelope Speed",         // 120
    "Filter Envelope Attack",        // 121
    "Filter Envelope Decay",         // 122
    "Filter Envelope Sustain",       // 123
    "Filter Envelope Release",       // 124
    "Filter Envelope Attack Shape",  // 125
    "Filter Envelope Decay Shape",   // 126
    "Filter Envelope Release Shape", // 127
    "Main LFO > Filter Amount",      // 128
    "Filter Distort",                // 129
    "HP Filter Frequency",           // 130
    "HP Filter Q",                   // 131
    // EQ
    "Pre EQ Frequency 1",                 // 132
    "Pre EQ BW 1",                        // 133
    "Pre EQ Gain 1",                      // 134
    "Pre EQ Frequency 2",                 // 135
    "Pre EQ BW 2",                        // 136
    "Pre EQ Gain 2",                      // 137
    "Pre EQ Frequency 3",                 // 138
    "Pre EQ BW 3",                        // 139
    "Pre EQ Gain 3",                      // 140
    "Pre EQ Low Pass Filter Frequency",   // 141
    "Pre EQ High Pass Filter Frequency",  // 142
    "Post EQ Frequency 1",                // 143
    "Post EQ BW 1",                       // 144
    "Post EQ Gain 1",                     // 145
    "Post EQ Frequency 2",                // 146
    "Post EQ BW 2",                       // 147
    "Post EQ Gain 2",                     // 148
    "Post EQ Frequency 3",                // 149
    "Post EQ BW 3",                       // 150
    "Post EQ Gain 3",                     // 151
    "Post EQ Low Pass Filter Frequency",  // 152
    "Post EQ High Pass Filter Frequency", // 153
    // WaveShaper
    "Waveshaper Mix",     // 154
    "Waveshaper Top",     // 155
    "Waveshaper Bottom",  // 156
    "Waveshaper Rectify", // 157
    // Voice Distortion
    "Voice Distortion Mix", // 158
    "Distortion 1",         // 159
    "Distortion 2",         // 160
    "Distortion 3",         // 161
    "Distortion 4",         // 162
    "Distortion 5",         // 163
    "Distortion 6",         // 164
    "Distortion 7",         // 165
    // Low-Fi
    "Low-Fi Mix",                       // 166
    "Low-Fi Bits",                      // 167
    "Low-Fi Sample Rate",               // 168
    "Low-Fi Noise",                     // 169
    "Low-Fi Low Pass Filter Frequency", // 170
    // Distort FX
    "Distortion FX Mix", // 171
    "Distortion FX 1",   // 172
    "Distortion FX 2",   // 173
    "Distortion FX 3",   // 174
    "Distortion FX 4",   // 175
    "Distortion FX 5",   // 176
    "Distortion FX 6",   // 177
    "Distortion FX 7",   // 178
    "Distortion FX Pan", // 179
    // Mod FX
    "Mod FX Mix",                        // 180
    "Mod FX Length",                     // 181
    "Mod FX Phaser Pitch",               // 182
    "Mod FX Width",                      // 183
    "Mod FX Speed",                      // 184
    "Mod FX Feed",                       // 185
    "Mod FX Ensemble Amount",            // 186
    "Mod FX WahWah Low Freq",            // 187
    "Mod FX WahWah High Freq",           // 188
    "Mod FX Phaser Q",                   // 189
    "Mod FX Amount",                     // 190
    "Mod FX Ring Mod Frequency",         // 191
    "Mod FX Spread",                     // 192
    "Mod FX Widen",                      // 193
    "Mod FX Separation",                 // 194
    "Mod FX Phase",                      // 195
    "Mod FX Shape",                      // 196
    "Mod FX Bias",                       // 197
    "Mod FX Bits",                       // 198
    "Mod FX Sample and Hold",            // 199
    "Mod FX Humanization",               // 200
    "Mod FX Smooth",                     // 201
    "Mod FX Low Pass Filter Frequency",  // 202
    "Mod FX High Pass Filter Frequency", // 203
    "Mod FX Pan",                        // 204
    "Mod FX Pan Mod",                    // 205
    "Mod FX Pan Speed",                  // 206
    // Delay
    "Delay Mix",                        // 207
    "Delay Length",                     // 208
    "Delay Fine",                       // 209
    "Delay Left",                       // 210
    "Delay Right",                      // 211
    "Delay Feed",                       // 212
    "Delay Cross",                      // 213
    "Delay Low Pass Filter Frequency",  // 214
    "Delay High Pass Filter Frequency", // 215
    "Delay Pan",                        // 216
    // Reverb
    "Reverb Mix",                        // 217
    "Reverb Pre-Delay",                  // 218
    "Reverb Pre-Feed",                   // 219
    "Reverb Pre-Widen",                  // 220
    "Reverb Size",                       // 221
    "Reverb Length",                     // 222
    "Reverb Damping",                    // 223
    "Reverb Spread",                     // 224
    "Reverb Low Pass Filter Frequency",  // 225
    "Reverb High Pass Filter Frequency", // 226
    "Reverb Pan",                        // 227
    // Gater
    "Gater Mix",    // 228
    "Gater Speed",  // 229
    "Gater Swing",  // 230
    "Gater Smooth", // 231
    "Gater Attack", // 232
    "Gater Decay",  // 233
    "Gater Pan",    // 234
    // Arp
    "Arp Speed",            // 235
    "Arp Steps",            // 236
    "Arp Loop Start",       // 237
    "Arp Swing",            // 238
    "Arp Note Length",      // 239
    "Arp Slide",            // 240
    "Arp Velocity / Key",   // 241
    "Arp Ratchet Velocity", // 242
    "Arp Smooth",           // 243
    "Arp Smooth Attack",    // 244
    "Arp Smooth Decay",     // 245
    // Amp Envelope
    "Amp Envelope Speed",         // 246
    "Amp Envelope Attack",        // 247
    "Amp Envelope Decay",         // 248
    "Amp Envelope Sustain",       // 249
    "Amp Envelope Release",       // 250
    "Amp Envelope Attack Shape",  // 251
    "Amp Envelope Decay Shape",   // 252
    "Amp Envelope Release Shape", // 253
    // Main LFO
    "Main LFO Speed",           // 254
    "Main LFO Phase",           // 255
    "Main LFO Shape",           // 256
    "Main LFO Delay",           // 257
    "Main LFO Smooth",          // 258
    "Main LFO Bias",            // 259
    "Main LFO Bits",            // 260
    "Main LFO Sample and Hold", // 261
    "Main LFO Humanize",        // 262
    // Free Envelope 1 / 2
    "Free Envelope 1 Speed",          // 263
    "Free Envelope 1 Attack",         // 264
    "Free Envelope 1 Decay",          // 265
    "Free Envelope 1 Sustain",        // 266
    "Free Envelope 1 Fade",           // 267
    "Free Envelope 1 Release",        // 268
    "Free Envelope 1 Attack Shape",   // 269
    "Free Envelope 1 Decay Shape",    // 270
    "Free Envelope 1 Release Shape",  // 271
    "Free Envelope 1 Key Track",      // 272
    "Free Envelope 1 Velocity Track", // 273
    "Free Envelope 2 Speed",          // 274
    "Free Envelope 2 Attack",         // 275
    "Free Envelope 2 Decay",          // 276
    "Free Envelope 2 Sustain",        // 277
    "Free Envelope 2 Fade",           // 278
    "Free Envelope 2 Release",        // 279
    "Free Envelope 2 Attack Shape",   // 280
    "Free Envelope 2 Decay Shape",    // 281
    "Free Envelope 2 Release Shape",  // 282
    "Free Envelope 2 Key Track",      // 283
    "Free Envelope 2 Velocity Track", // 284
    // Free LFO 1 / 2
    "Free LFO 1 Speed",           // 285
    "Free LFO 1 Phase",           // 286
    "Free LFO 1 Shape",           // 287
    "Free LFO 1 Delay",           // 288
    "Free LFO 1 Smooth",          // 289
    "Free LFO 1 Bias",            // 290
    "Free LFO 1 Bits",            // 291
    "Free LFO 1 Sample and Hold", // 292
    "Free LFO 1 Humanize",        // 293
    "Free LFO 2 Speed",           // 294
    "Free LFO 2 Phase",           // 295
    "Free LFO 2 Shape",           // 296
    "Free LFO 2 Delay",           // 297
    "Free LFO 2 Smooth",          // 298
    "Free LFO 2 Bias",            // 299
    "Free LFO 2 Bits",            // 300
    "Free LFO 2 Sample and Hold", // 301
    "Free LFO 2 Humanize",        // 302
    "Free LFO 1/2 Amount",        // 303
    // Ribbon
    "Ribbon Value",  // 304
    "Ribbon Speed",  // 305
    "Ribbon Smooth", // 306
    // Mod Matrix
    "Modulation Slot 1 Amount",  // 307
    "Modulation Slot 2 Amount",  // 308
    "Modulation Slot 3 Amount",  // 309
    "Modulation Slot 4 Amount",  // 310
    "Modulation Slot 5 Amount",  // 311
    "Modulation Slot 6 Amount",  // 312
    "Modulation Slot 7 Amount",  // 313
    "Modulation Slot 8 Amount",  // 314
    "Modulation Slot 9 Amount",  // 315
    "Modulation Slot 10 Amount", // 316
    "Modulation Slot 11 Amount", // 317
    "Modulation Slot 12 Amount", // 318
    "Modulation Slot 13 Amount", // 319
    "Modulation Slot 14 Amount", // 320
    "Modulation Slot 15 Amount", // 321
    "Modulation Slot 16 Amount", // 322
};
static_assert(allEntriesSet(DEST_STR));

constexpr const char* const DEST_SHORT_STR[DEST_SHORT_COUNT] = {
    "None", // 0
    // Global
    "Main Volume",      // 1
    "Voice Volume",     // 2
    "Vel>Volume",       // 3
    "Vel Shape",        // 4
    "Main LFO>Volume",  // 5
    "Pan",              // 6
    "Main LFO>Pan",     // 7
    "Global Pitch",     // 8
    "Global Fine",      // 9
    "Port Amount",      // 10
    "Global Env Speed", // 11
    "Global LFO Speed", // 12
    "Unison Amount",    // 13
    "Unison Spread",    // 14
    "Unison Delay",     // 15
    // Osc 1
    "Osc1 Volume",      // 16
    "Osc1 Pan",         // 17
    "Osc1 Up Pan",      // 18
    "Osc1 Down Pan",    // 19
    "Osc1 Octave",      // 20
    "Osc1 Semi",        // 21
    "Osc1 Up Semi",     // 22
    "Osc1 Down Semi",   // 23
    "Osc1 Fine",        // 24
    "Osc1 Spread",      // 25
    "Osc1 Up Spread",   // 26
    "Osc1 Down Spread", // 27
    "Osc1 Sym",         // 28
    "Osc1 Feed",        // 29
    "Osc1 Phase",       // 30
    "Osc1 Wrap",        // 31
    "Osc1 Wrap Sym",    // 32
    "Osc1 Bits",        // 33
    "Osc1 ZEK X",       // 34
    "Osc1 ZEK Y",       // 35
    "Osc1 ZEK Amount",  // 36
    "Osc1 LFO>X",       // 37
    "Osc1 LFO>Y",       // 38
    "Osc1 ZEK Speed",   // 39
    "Osc1 Sub-Volume",  // 40
    "Osc1 Sub Tune",    // 41
    "Osc1 Sub Sym",     // 42
    "Osc1 Sub Phase",   // 43
    "Osc1 Sub Pan",     // 44
    // Osc 1 LFO/Envelope
    "Osc1 LFO Speed",        // 45
    "Osc1 LFO>PWM",          // 46
    "Osc1 LFO>Amp",          // 47
    "Osc1 LFO>Pitch",        // 48
    "Osc1 LFO Track",        // 49
    "Osc1 Amp Env Speed",    // 50
    "Osc1 Amp Env Amount",   // 51
    "Osc1 Amp Env Att",      // 52
    "Osc1 Amp Env Dec",      // 53
    "Osc1 Amp Env Sust",     // 54
    "Osc1 Amp Env Rel",      // 55
    "Osc1 Amp Env Track",    // 56
    "Osc1 Pitch Env Speed",  // 57
    "Osc1 Pitch Env Amount", // 58
    "Osc1 Pitch Env Att",    // 59
    "Osc1 Pitch Env Dec",    // 60
    "Osc1 Pitch Env Sust",   // 61
    "Osc1 Pitch Env Rel",    // 62
    "Osc1 Pitch Env Track",  // 63
    // Osc 2
    "Osc2 Volume",      // 64
    "Osc2 Pan",         // 65
    "Osc2 Up Pan",      // 66
    "Osc2 Down Pan",    // 67
    "Osc2 Oct",         // 68
    "Osc2 Semi",        // 69
    "Osc2 Up Semi",     // 70
    "Osc2 Down Semi",   // 71
    "Osc2 Fine",        // 72
    "Osc2 Spread",      // 73
    "Osc2 Up Spread",   // 74
    "Osc2 Down Spread", // 75
    "Osc2 Mod Amount",  // 76
    "Osc2 Sync",        // 77
    "Osc2 Sym",         // 78
    "Osc2 Feed",        // 79
    "Osc2 Phase",       // 80
    "Osc2 Wrap",        // 81
    "Osc2 Wrap Sym",    // 82
    "Osc2 Bits",        // 83
    "Osc2 ZEK X",       // 84
    "Osc2 ZEK Y",       // 85
    "Osc2 ZEK Amount",  // 86
    "Osc2 LFO>X",       // 87
    "Osc2 LFO>Y",       // 88
    "Osc2 ZEK Speed",   // 89
    "Osc2 Sub-Volume",  // 90
    "Osc2 Sub Tune",    // 91
    "Osc2 Sub Sym",     // 92
    "Osc2 Sub Phase",   // 93
    "Osc2 Sub Pan",     // 94
    // Osc 2 LFO/Envelope
    "Osc2 LFO Speed",        // 95
    "Osc2 LFO>PWM",          // 96
    "Osc2 LFO>Amp",          // 97
    "Osc2 LFO>Pitch",        // 98
    "Osc2 LFO Track",        // 99
    "Osc2 Amp Env Speed",    // 100
    "Osc2 Amp Env Amount",   // 101
    "Osc2 Amp Env Att",      // 102
    "Osc2 Amp Env Dec",      // 103
    "Osc2 Amp Env Sust",     // 104
    "Osc2 Amp Env Rel",      // 105
    "Osc2 Amp Env Track",    // 106
    "Osc2 Pitch Env Speed",  // 107
    "Osc2 Pitch Env Amount", // 108
    "Osc2 Pitch Env Att",    // 109
    "Osc2 Pitch Env Dec",    // 110
    "Osc2 Pitch Env Sust",   // 111
    "Osc2 Pitch Env Rel",    // 112
    "Osc2 Pitch Env Track",  // 113
    // FIlter
    "Filter Freq",          // 114
    "Filter Offset",        // 115
    "Filter Q/Amount",      // 116
    "Filter Vowel/Fmt/Mix", // 117
    "Filter Pan",           // 118
    "Filter Env Amount",    // 119
    "Filter Env Speed",     // 120
    "Filter Env Att",       // 121
    "Filter Env Dec",       // 122
    "Filter Env Sust",      // 123
    "Filter Env Rel",       // 124
    "Filter Env Att Shape", // 125
    "Filter Env Dec Shape", // 126
    "Filter Env Rel Shape", // 127
    "Main LFO>Filter Freq", // 128
    "Filter Distort",       // 129
    "HP Filter Freq",       // 130
    "HP Filter Q",          // 131
    // EQ
    "PreEQ Freq 1",   // 132
    "PreEQ BW 1",     // 133
    "PreEQ Gain 1",   // 134
    "PreEQ Freq 2",   // 135
    "PreEQ BW 2",     // 136
    "PreEQ Gain 2",   // 137
    "PreEQ Freq 3",   // 138
    "PreEQ BW 3",     // 139
    "PreEQ Gain 3",   // 140
    "PreEQ LP",       // 141
    "PreEQ High HP",  // 142
    "PostEQ Freq 1",  // 143
    "PostEQ BW 1",    // 144
    "PostEQ Gain 1",  // 145
    "PostEQ Freq 2",  // 146
    "PostEQ BW 2",    // 147
    "PostEQ Gain 2",  // 148
    "PostEQ Freq 3",  // 149
    "PostEQ BW 3",    // 150
    "PostEQ Gain 3",  // 151
    "PostEQ LP",      // 152
    "PostEQ High HP", // 153
    // WaveShaper
    "WaveShape Mix",  // 154
    "WaveShape Top",  // 155
    "WaveShape Bot",  // 156
    "WaveShape Rect", // 157
    // Voice Distortion
    "Distort Mix", // 158
    "Distort 1",   // 159
    "Distort 2",   // 160
    "Distort 3",   // 161
    "Distort 4",   // 162
    "Distort 5",   // 163
    "Distort 6",   // 164
    "Distort 7",   // 165
    // Low-Fi
    "Low-Fi Mix",         // 166
    "Low-Fi Bits",        // 167
    "Low-Fi Sample Rate", // 168
    "Low-Fi Noise",       // 169
    "Low-Fi LP",          // 170
    // Distort FX
    "DistortFX Mix", // 171
    "DistortFX 1",   // 172
    "DistortFX 2",   // 173
    "DistortFX 3",   // 174
    "DistortFX 4",   // 175
    "DistortFX 5",   // 176
    "DistortFX 6",   // 177
    "DistortFX 7",   // 178
    "DistortFX Pan", // 179
    // Mod FX
    "ModFX Mix",             // 180
    "ModFX Length",          // 181
    "ModFX Phaser Pitch",    // 182
    "ModFX Width",           // 183
    "ModFX Speed",           // 184
    "ModFX Feed",            // 185
    "ModFX Ensemble Amount", // 186
    "ModFX WahWah Low",      // 187
    "ModFX WahWah High",     // 188
    "ModFX Q",               // 189
    "ModFX Amount",          // 190
    "ModFX Ring Mod Freq",   // 191
    "ModFX Spread",          // 192
    "ModFX Widen",           // 193
    "ModFX Separate",        // 194
    "ModFX Phase",           // 195
    "ModFX Shape",           // 196
    "ModFX Bias",            // 197
    "ModFX Bits",            // 198
    "ModFX S&H",             // 199
    "ModFX Human",           // 200
    "ModFX Smooth",          // 201
    "ModFX LP",              // 202
    "ModFX HP",              // 203
    "ModFX Pan",             // 204
    "ModFX Pan Mod",         // 205
    "ModFX Pan Speed",       // 206
    // Delay
    "Delay Mix",    // 207
    "Delay Length", // 208
    "Delay Fine",   // 209
    "Delay Left",   // 210
    "Delay Right",  // 211
    "Delay Feed",   // 212
    "Delay Cross",  // 213
    "Delay LP",     // 214
    "Delay HP",     // 215
    "Delay Pan",    // 216
    // Reverb
    "Reverb Mix",       // 217
    "Reverb Pre-Delay", // 218
    "Reverb Pre-Feed",  // 219
    "Reverb Pre-Widen", // 220
    "Reverb Size",      // 221
    "Reverb Length",    // 222
    "Reverb Damp",      // 223
    "Reverb Spread",    // 224
    "Reverb LP",        // 225
    "Reverb HP",        // 226
    "Reverb Pan",       // 227
    // Gater
    "Gater Mix",    // 228
    "Gater Speed",  // 229
    "Gater Swing",  // 230
    "Gater Smooth", // 231
    "Gater Att",    // 232
    "Gater Dec",    // 233
    "Gater Pan",    // 234
    // Arp
    "Arp Speed",       // 235
    "Arp Steps",       // 236
    "Arp Loop Start",  // 237
    "Arp Swing",       // 238
    "Arp Note Length", // 239
    "Arp Slide",       // 240
    "Arp Vel / Key",   // 241
    "Arp Ratchet Vel", // 242
    "Arp Smooth",      // 243
    "Arp Smooth Att",  // 244
    "Arp Smooth Dec",  // 245
    // Amp Envelope
    "Amp Env Speed",     // 246
    "Amp Env Att",       // 247
    "Amp Env Dec",       // 248
    "Amp Env Sust",      // 249
    "Amp Env Rel",       // 250
    "Amp Env Att Shape", // 251
    "Amp Env Dec Shape", // 252
    "Amp Env Rel Shape", // 253
    // Main LFO
    "Main LFO Speed",  // 254
    "Main LFO Phase",  // 255
    "Main LFO Shape",  // 256
    "Main LFO Delay",  // 257
    "Main LFO Smooth", // 258
    "Main LFO Bias",   // 259
    "Main LFO Bits",   // 260
    "Main LFO S&H",    // 261
    "Main LFO Human",  // 262
    // Free Envelope 1 / 2
    "Free Env 1 Speed",     // 263
    "Free Env 1 Att",       // 264
    "Free Env 1 Dec",       // 265
    "Free Env 1 Sust",      // 266
    "Free Env 1 Fade",      // 267
    "Free Env 1 Rel",       // 268
    "Free Env 1 Att Shape", // 269
    "Free Env 1 Dec Shape", // 270
    "Free Env 1 Rel Shape", // 271
    "Free Env 1 Track",     // 272
    "Free Env 1 Vel Track", // 273
    "Free Env 2 Speed",     // 274
    "Free Env 2 Att",       // 275
    "Free Env 2 Dec",       // 276
    "Free Env 2 Sust",      // 277
    "Free Env 2 Fade",      // 278
    "Free Env 2 Rel",       // 279
    "Free Env 2 Att Shape", // 280
    "Free Env 2 Dec Shape", // 281
    "Free Env 2 Rel Shape", // 282
    "Free Env 2 Track",     // 283
    "Free Env 2 Vel Track", // 284
    // Free LFO 1 / 2
    "Free LFO 1 Speed",    // 285
    "Free LFO 1 Phase",    // 286
    "Free LFO 1 Shape",    // 287
    "Free LFO 1 Delay",    // 288
    "Free LFO 1 Smooth",   // 289
    "Free LFO 1 Bias",     // 290
    "Free LFO 1 Bits",     // 291
    "Free LFO 1 S&H",      // 292
    "Free LFO 1 Human",    // 293
    "Free LFO 2 Speed",    // 294
    "Free LFO 2 Phase",    // 295
    "Free LFO 2 Shape",    // 296
    "Free LFO 2 Delay",    // 297
    "Free LFO 2 Smooth",   // 298
    "Free LFO 2 Bias",     // 299
    "Free LFO 2 Bits",     // 300
    "Free LFO 2 S&H",      // 301
    "Free LFO 2 Human",    // 302
    "Free LFO 1/2 Amount", // 303
    // Ribbon
    "Ribbon Value",  // 304
    "Ribbon Speed",  // 305
    "Ribbon Smooth", // 306
    // Mod Matrix
    "Mod Slot 1 Amount",  // 307
    "Mod Slot 2 Amount",  // 308
    "Mod Slot 3 Amount",  // 309
    "Mod Slot 4 Amount",  // 310
    "Mod Slot 5 Amount",  // 311
    "Mod Slot 6 Amount",  // 312
    "Mod Slot 7 Amount",  // 313
    "Mod Slot 8 Amount",  // 314
    "Mod Slot 9 Amount",  // 315
    "Mod Slot 10 Amount", // 316
    "Mod Slot 11 Amount", // 317
    "Mod Slot 12 Amount", // 318
    "Mod Slot 13 Amount", // 319
    "Mod Slot 14 Amount", // 320
    "Mod Slot 15 Amount", // 321
    "Mod Slot 16 Amount", // 322
};
static_assert(allEntriesSet(DEST_SHORT_STR));

// Heading 5 is spelt "FIlter" in the menus.
constexpr const char* const DEST_SUB_STR[DEST_SUB_COUNT] = {"Global",
                                                            "Osc 1",
                                                            "Osc 1 LFO/Envelope",
                                                            "Osc 2",
                                                            "Osc 2 LFO/Envelope",
                                                            "FIlter",
                                                            "EQ",
                                                            "WaveShaper",
                                                            "Voice Distortion",
                                                            "Low-Fi",
                                                            "Distort FX",
                                                            "Mod FX",
                                                            "Delay",
                                                            "Reverb",
                                                            "Gater",
                                                            "Arp",
                                                            "Amp Envelope",
                                                            "Main LFO",
                                                            "Free Envelope 1 / 2",
                                                            "Free LFO 1 / 2",
                                                            "Ribbon",
                                                            "Mod Matrix"};
static_assert(allEntriesSet(DEST_SUB_STR));
