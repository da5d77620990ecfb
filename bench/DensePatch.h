// "Dense modulation" shared by the benchmarks: all 16 matrix slots in use (voice LFOs with
// sample and hold, the Free LFO 1/2 morph, white and pink noise, module and voice-output
// sources), every LFO running per voice.
#pragma once

#include "engine/params/ParamTags.h"

namespace densepatch {

struct Slot {
    int source, dest;
};
// Sources: Free LFO 1 and 2, their morph, Main LFO, noises, envelopes, XY, output sources;
// two slots drive the sample and hold of the Main LFO and Free LFO 1.
constexpr Slot kSlots[16] = {{62, 114},  {64, 116}, {66, 8},   {60, 2},   {102, 154}, {104, 158},
                             {50, 16},   {52, 64},  {68, 34},  {99, 181}, {95, 132},  {17, 3},
                             {101, 261}, {81, 207}, {61, 292}, {90, 259}};

template <typename SetParameter> void setDenseModulation(SetParameter set) {
    for (int s = 0; s < 16; ++s) {
        set(tag::ModBypassFirst + s, 0.0f);
        set(tag::ModSourceFirst + s, (kSlots[s].source + 0.1f) / 127.99f);
        set(tag::ModDestFirst + s, (kSlots[s].dest + 0.1f) / 399.99f);
        set(tag::ModLowerFirst + s, 0.0f);
        set(tag::ModUpperFirst + s, 1.0f);
        set(tag::ModOffsetFirst + s, 0.4f);
        set(tag::ModAmountFirst + s, 0.6f);
    }
    set(tag::FreeLfo12Mode, (12 + 0.1f) / 19.99f); // "Morph"
    set(tag::FreeLfo12Amount, 0.5f);
    set(tag::FreeLfo1Speed, 0.6f);
    set(tag::FreeLfo2Speed, 0.7f);
    set(tag::MainLfoSpeed, 0.5f);
    // Every LFO per voice ("Poly"), so each voice runs its own three and its own morph.
    for (int t : {tag::MainLfoPlayMode, tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode}) set(t, 0.0f);
}

} // namespace densepatch
