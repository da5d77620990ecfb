// The voice filter's recurrence steps over the lane type V (Float4, or Float8 where the
// processor has AVX2), so that the four- and eight-lane paths run the same operations per lane
// in the same order and give the same bits. Included twice by dsp/TFilterKernels.h alone: in
// namespace tfilter for four lanes, and in tfilter::wide, compiled for AVX2, for eight; hence no
// include guard, and nothing included here. Audio thread only.

// The pre-drive, held at +-1 as the scalar form holds it: a NaN stays NaN (the finiteness step
// after it turns that into silence).
template <class V> inline V preDrive(V x, V d, V gain) {
    const V one(1.0f), minusOne(-1.0f);
    const V y = gain * x / (one + abs(d * x));
    const V above = greater(y, one), below = greater(minusOne, y);
    V r = bitsAndNot(bitsOr(above, below), y + V(1e-15f));
    r = bitsOr(r, bitsAnd(above, one));
    return bitsOr(r, bitsAnd(below, minusOne));
}

// A sub-voice's frames through the pre-drive where `driven`, then, where `scaled`, to one tenth
// of the level with a sample that is not finite entering as silence.
template <class V> inline V prepare(V x, float drive, bool driven, bool scaled) {
    if (driven) x = preDrive(x, V(drive), V(1.0f + drive));
    if (scaled) x = filtermath::finiteOrZero(x) * V(0.1f) + V(1e-15f);
    return x;
}

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

// Types 1 (low) and 2 (high): the one-pole.
template <class V> inline void onePoleSteps(int type, V a, V b, V& state, V (&v)[4]) {
    const V offset(1e-15f);
    for (V& x : v) {
        state = a * x + b * state + offset;
        x = type == 1 ? state : x - state;
    }
}

// Types 3 to 6: the clipped state-variable filter's low, high, band and notch outputs.
template <class V> inline void svfSteps(int type, V f, V d, V& low, V& band, V (&v)[4]) {
    const V offset(1e-15f), sqrt2(1.414214f), two(2.0f);
    for (V& x : v) {
        const SvfOut<V> o = clippedSvf(low, band, x, f, d);
        if (type == 3)
            x = o.low * sqrt2 + offset;
        else if (type == 4)
            x = o.high * sqrt2 + offset;
        else if (type == 5)
            x = o.band * two + offset;
        else
            x = (o.low - o.high) * sqrt2 + offset;
    }
}

// Types 17 and 18: the one-pole (low or high) into the state-variable filter's same output.
template <class V>
inline void onePoleSvfSteps(int type, V a, V b, V f, V d, V& state, V& low, V& band, V (&v)[4]) {
    const V offset(1e-15f), sqrt2(1.414214f);
    for (V& x : v) {
        state = a * x + b * state + offset;
        const V in = type == 17 ? state + offset : x - state + offset;
        const SvfOut<V> o = clippedSvf(low, band, in, f, d);
        x = (type == 17 ? o.low : o.high) * sqrt2 + offset;
    }
}

template <class V> inline Zdf<V> zdfStep(V& s1, V& s2, V x, V g, V cc, V h) {
    Zdf<V> o;
    o.hp = (x - cc * s1 - s2) * h;
    o.bp = s1 + g * o.hp;
    o.lp = s2 + g * o.bp;
    s1 = o.bp + g * o.hp;
    s2 = o.lp + g * o.bp;
    return o;
}

// Types 11 to 16 (one stage) and 27 to 32 (two): low, high, band, notch and the two morphs.
template <class V>
inline void zdfSteps(int type, const ZdfCoefs<V>& cf, V& s1, V& s2, V& t1, V& t2, V (&v)[4]) {
    const V offset(1e-15f), two(2.0f);
    const int kind = (type >= 27 ? type - 27 : type - 11); // 0 low .. 3 notch, 4 and 5 multi
    auto pick = [&](const Zdf<V>& o) {
        switch (kind) {
        case 0:
            return o.lp;
        case 1:
            return o.hp;
        case 2:
            return o.bp * two;
        case 3:
            return o.lp + o.hp;
        default:
            return cf.wLP * o.lp + cf.wBP * two * o.bp + cf.wHP * o.hp;
        }
    };
    for (V& x : v) {
        V y = pick(zdfStep(s1, s2, x, cf.g, cf.c1, cf.h1));
        if (type >= 27) y = pick(zdfStep(t1, t2, y, cf.g, cf.c2, cf.h2));
        x = y + offset;
    }
}

// One step of the resonant ladder (b[0] the input of the last step, b[1..4] the stages), with
// the cubic on its last stage held where the cubic turns back (1 / sqrt(3 x 0.16666)).
template <class V> inline Ladder<V> ladderStep(V* b, V x, V p, V f, V k) {
    const V in = x - k * b[4];
    V t1 = b[1];
    b[1] = (in + b[0]) * p - b[1] * f;
    const V t2 = b[2];
    b[2] = (b[1] + t1) * p - b[2] * f;
    t1 = b[3];
    b[3] = (b[2] + t2) * p - b[3] * f;
    b[4] = (b[3] + t1) * p - b[4] * f;
    b[4] = filtermath::cubicClip(b[4], V(0.16666f), V(1.4142346f));
    b[0] = in;
    return {b[4], b[3]};
}

// Types 21 to 24: the ladder's band, notch, low and high outputs.
template <class V> inline void ladderSteps(int type, V p, V f, V k, V* b, V (&v)[4]) {
    const V offset(1e-15f), two(2.0f);
    for (V& x : v) {
        const Ladder<V> o = ladderStep(b, x, p, f, k);
        const V band = o.band3 - o.low;
        if (type == 21)
            x = band * V(6.0f) + offset;
        else if (type == 22)
            x = x - V(3.0f) * band + offset;
        else if (type == 23)
            x = o.low * two + offset;
        else
            x = (x - o.low) * two + offset;
    }
}
