// The voice distortion's lane steps over the lane type V (Float4, or Float8 where the processor
// has AVX2): the band cubic and the Tube chain, the same operations per lane at either width.
// Included twice by engine/voice/uPluginVoiceDistort.cpp alone, after its lane helpers: for
// four lanes, and in its namespace `wide`, compiled for AVX2, for eight; hence no include guard,
// and nothing included here. Audio thread only.

// The clipped SVF's band cubic on four lanes, held where the cubic turns back.
template <class V> inline V clipBand4(V band) {
    return filtermath::cubicClip(band, V(0.001f), V(18.257419f));
}

// Each frame's value x[f] through the tube curve, then twice through the tone into the
// sub-samples y[2f] and y[2f + 1]. The signal's sign never drives a branch.
template <class V>
inline void tubeSamples(const TubeLanes<V>& p, V& low, V& band, const V (&x)[2], V (&y)[4]) {
    const V one(1.0f), minusOne(-1.0f), zero(0.0f), off(1e-15f), half(0.5f), three(3.0f), two(2.0f);
    const V minusLimit = negate(p.limit);
    for (int f = 0; f < 2; ++f) {
        const V u = p.drive * x[f] + off;
        const V v0 = clamp((x[f] + u) / (abs(u) + one), minusOne, one);
        for (int k = 2 * f; k < 2 * f + 2; ++k) {
            const V bc = clipBand4(band);
            const V high = v0 + off - low - p.damping * bc;
            band = p.tone * high + bc;
            low = p.tone * band + low;
            const V raw = band * two + off;
            const V value = max(raw, zero) + p.rectify * min(raw, zero);
            // (3v - v|v|) / 2 is the soft clip's curve on both sides and reaches exactly
            // +-1 at the clamp.
            const V c = clamp(clamp(value, minusLimit, p.limit) * p.gain, minusOne, one);
            y[k] = half * (three * c - c * abs(c));
        }
    }
}
