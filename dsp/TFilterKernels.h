// The voice filter's recurrence steps as templates over the lane type (Float4, or Float8 where
// the processor has AVX2), so that the four- and eight-lane paths run the same operations per
// lane in the same order and give the same bits. Audio thread only; internal to TFilter*.cpp.
#pragma once

#include "dsp/FilterMath.h"

namespace tfilter {

template <class V> struct SvfOut { V low, high, band; };

// The clipped state-variable filter: a cubic on the band state, held where the cubic turns back
// (1 / sqrt(3 x 0.001)).
template <class V> inline SvfOut<V> clippedSvf(V& low, V& band, V x, V f, V d) {
    const V b = filtermath::cubicClip(band, V(0.001f), V(18.257419f));
    const V high = x - low - d * b;
    band = f * high + b;
    low = f * band + low;
    return {low, high, band};
}

// The extra high-pass stage over four sub-frames, in place.
template <class V> inline void highPass(V& low, V& band, V (&v)[4], V f, V d) {
    const V offset(1e-15f);
    for (V& x : v) {
        const SvfOut<V> o = clippedSvf(low, band, x + offset, f, d);
        x = o.high + offset;
    }
}

} // namespace tfilter
