// The parametric EQs' lane steps over the lane type V (Float4, or Float8 where the processor
// has AVX2): the bands and the ladder cut filters, the same operations per lane at either width.
// Included twice by dsp/TParaEQ.cpp alone, after its lane helpers: for four lanes, and in its
// namespace `wide`, compiled for AVX2, for eight; hence no include guard, and nothing included
// here. Audio thread only.

// One ladder step on four (or eight) lanes; returns the last stage.
template <class V> inline V ladder(V (&s)[5], const V (&k)[3], V x) {
    const V in = x - k[0] * s[4];
    const V t1 = (in + s[0]) * k[2] - s[1] * k[1];
    const V t2 = (t1 + s[1]) * k[2] - s[2] * k[1];
    const V t3 = (t2 + s[2]) * k[2] - s[3] * k[1];
    V t4 = (t3 + s[3]) * k[2] - s[4] * k[1];
    t4 = filtermath::cubicClip(t4, V(kClip), V(kClipLimit));
    s[0] = in;
    s[1] = t1;
    s[2] = t2;
    s[3] = t3;
    s[4] = t4;
    return t4;
}

// The same step for the lanes in `mask` only; the other lanes keep state and signal.
template <class V, class M> inline V ladderMasked(V (&s)[5], const V (&k)[3], V x, M mask) {
    V t[5] = {s[0], s[1], s[2], s[3], s[4]};
    const V y = ladder(t, k, x);
    for (int i = 0; i < 5; ++i) s[i] = select(mask, t[i], s[i]);
    return y;
}

// Four sub-samples of one lane set through the bands and, by mode, the cut filters, with the
// coefficients from c. `lanes` names the lanes that run (all of them, or some units' halves);
// bandLanes[b] those that run band b. Bits beyond V's lanes are ignored.
template <class V, class C, class S>
inline void runLanes(C c, S s, V (&v)[4], int mode, const int (&bandLanes)[3], int bandCount,
                     int lanes) {
    constexpr int kAll = LaneBits<V>::kAll;
    // The unison form's eight lanes, one unit's or two units' with the same bands, always run
    // whole: no masked code for them.
    constexpr bool kMasked =
        std::is_same_v<V, Float4> || !(std::is_same_v<S, LaneStates<Float8, TUniParaEQ::kStride>> ||
                                       std::is_same_v<S, JoinedStates<TUniParaEQ::kStride>>);
    // The bands unrolled, and each result written into v through its register member: rolled
    // up, or copied as a whole struct (which goes by 16-byte halves through the stack), the
    // eight-lane vectors would live in memory.
#pragma GCC unroll 3
    for (int b = 0; b < bandCount; ++b) {
        const int bits = bandLanes[b] & kAll;
        if (bits == 0) continue; // an inactive band neither processes nor keeps history
        const int first = kBandCoefs + 5 * b;
        const V q[5] = {c.get(first), c.get(first + 1), c.get(first + 2), c.get(first + 3),
                        c.get(first + 4)};
        V x1 = s.get(kX1 + b), x2 = s.get(kX2 + b), y1 = s.get(kY1 + b), y2 = s.get(kY2 + b);
        if (!kMasked || bits == kAll) {
            for (V& x : v) {
                const V y = q[0] * x + q[1] * x1 + q[2] * x2 - q[3] * y1 - q[4] * y2;
                x2 = x1;
                x1 = x;
                y2 = y1;
                y1 = y;
                x.v = y.v;
            }
        } else if constexpr (kMasked) {
            const auto m = LaneBits<V>::mask(bits);
            for (V& x : v) {
                const V y = q[0] * x + q[1] * x1 + q[2] * x2 - q[3] * y1 - q[4] * y2;
                x2 = select(m, x1, x2);
                x1 = select(m, x, x1);
                y2 = select(m, y1, y2);
                y1 = select(m, y, y1);
                x.v = select(m, y, x).v;
            }
        }
        s.set(kX1 + b, x1);
        s.set(kX2 + b, x2);
        s.set(kY1 + b, y1);
        s.set(kY2 + b, y2);
    }
    const V gain(kCutGain);
    // A ladder's states in registers over the four sub-samples; `high` takes its output from
    // the input.
    auto cut = [&](int coefs, int first, auto high) {
        const V k[3] = {c.get(coefs), c.get(coefs + 1), c.get(coefs + 2)};
        V st[5] = {s.get(first), s.get(first + 1), s.get(first + 2), s.get(first + 3),
                   s.get(first + 4)};
        for (V& x : v) {
            V y;
            if constexpr (kMasked)
                y = (lanes & kAll) == kAll ? ladder(st, k, x)
                                           : ladderMasked(st, k, x, LaneBits<V>::mask(lanes));
            else
                y = ladder(st, k, x);
            if constexpr (decltype(high)::value)
                x.v = (gain * (x - y)).v;
            else
                x.v = (gain * y).v;
        }
        for (int i = 0; i < 5; ++i) s.set(first + i, st[i]);
    };
    if (mode == 1 || mode == 3) cut(kLowPassCoefs, kLowPass, std::false_type{});
    if (mode == 2 || mode == 3) cut(kHighPassCoefs, kHighPass, std::true_type{});
    clearIfNotFinite(s, v);
}
