// The low-fi's and the waveshaper's lane steps over the lane type V (Float4, or Float8 where
// the processor has AVX2), the same operations per lane at either width. Included twice by
// engine/voice/uPluginShaper.cpp alone, after its lane helpers: for four lanes, and in its
// namespace `wide`, compiled for AVX2, for eight; hence no include guard, and nothing included
// here. Audio thread only.

// The clipped SVF over sub-samples A0, A1, B0, B1 (each frame's value twice) into y; lanes
// whose low-pass is off keep their states and pass their values.
template <class V> inline void lofiSamples(LofiLanes<V>& l, V (&y)[4]) {
    const V off(1e-15f), cubic(0.001f), limit(18.257419f), sqrt2(1.4142135f);
    V low = l.low, band = l.band;
    // With the low-pass on in all lanes (the usual case) the masks select nothing.
    auto run = [&](auto masked) {
        for (int k = 0; k < 4; ++k) {
            const V x = l.value[k / 2];
            const V bc = filtermath::cubicClip(band, cubic, limit);
            const V high = x + off - low - bc;
            const V newBand = l.coef * high + bc;
            const V newLow = l.coef * newBand + low;
            const V filtered = sqrt2 * newLow + off;
            if constexpr (decltype(masked)::value) {
                band = pick(l.on, newBand, band);
                low = pick(l.on, newLow, low);
                y[k] = pick(l.on, filtered, x);
            } else {
                band = newBand;
                low = newLow;
                y[k] = filtered;
            }
        }
    };
    if (l.allOn)
        run(std::false_type{});
    else
        run(std::true_type{});
    keepFinite(low, band);
    l.low = low;
    l.band = band;
}

template <class V> struct ShaperLanes {
    V top, bottom, wetTop, wetBottom, dry;
    explicit ShaperLanes(const ShaperVoice& s)
        : top(s.top), bottom(s.bottom), wetTop(s.wetTop), wetBottom(s.wetBottom), dry(s.dry) {}
};

template <class V> inline V shape(const ShaperLanes<V>& s, V x, const float* table) {
    const V positive = atLeastZero(x);
    const V c = cosAt(table, x * pick(positive, s.top, s.bottom));
    return pick(positive, s.wetTop, s.wetBottom) * x * c + s.dry * x;
}
