// The voice filter's recurrences: one lane group through the selected type (one-pole, clipped
// SVF, biquads, zero-delay SVFs, the resonant ladder, their cascades and the formant banks),
// the extra high-pass stage, and the per-pass form of process(). Audio thread only.
#include "dsp/FilterMath.h"
#include "dsp/Float8.h"
#include "dsp/ShortcutCounts.h"
#include "dsp/TFilter.h"
#include "dsp/TFilterKernels.h"

#include <cstddef>
#include <iterator>

using filtermath::cubicClip;
using filtermath::pairVec;

namespace {

const Float4 kOffset(1e-15f);
const Float4 kSqrt2(1.414214f);
const Float4 kTwo(2.0f);
// The biquad outputs are held here so that a loud input cannot run the recursion away.
const Float4 kBiquadLimit(2.0f);

using SvfOut = tfilter::SvfOut<Float4>;
using tfilter::clippedSvf;

} // namespace

namespace {

// One direct-form-I step on the shared three-slot history; `raw` receives the sum before the
// clamp.
struct Biquad {
    Float4 b0, b1, b2, a1, a2;
};

inline Float4 biquadStep(Float4* xs, Float4* ys, Float4 x, const int* sl, const Biquad& q,
                         Float4& raw) {
    xs[sl[0]] = x;
    raw = q.b0 * x + q.b1 * xs[sl[1]] + q.b2 * xs[sl[2]] - q.a1 * ys[sl[1]] - q.a2 * ys[sl[2]];
    const Float4 y = clamp(raw, Float4(0.0f) - kBiquadLimit, kBiquadLimit);
    ys[sl[0]] = y;
    return y;
}

// The zero-delay types' coefficients of a Coefs (of either lane width).
template <class C> inline auto zdfCoefs(const C& cf) {
    using V = decltype(cf.zG);
    return tfilter::ZdfCoefs<V>{cf.zG, cf.zC1, cf.zH1, cf.zC2, cf.zH2, cf.wLP, cf.wBP, cf.wHP};
}

} // namespace

void TFilter::runGroup(const Coefs& cf, Lanes& s, Float4 (&v)[4], const int (&slots)[4][3],
                       const Float4 (&ring)[4]) {
    const Biquad bq{cf.b0, cf.b1, cf.b2, cf.a1, cf.a2};
    switch (type) {
    case 1:
    case 2:
        tfilter::onePoleSteps(type, cf.opA, cf.opB, s.onePole, v);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        tfilter::svfSteps(type, cf.svfF, cf.svfD, s.svfLow, s.svfBand, v);
        break;
    case 7:
    case 8:
    case 9:
    case 10:
        for (int k = 0; k < 4; ++k) {
            Float4 raw;
            v[k] = biquadStep(s.bqX, s.bqY, v[k], slots[k], bq, raw) + kOffset;
        }
        break;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 32:
        tfilter::zdfSteps(type, zdfCoefs(cf), s.z1s1, s.z1s2, s.z2s1, s.z2s2, v);
        break;
    case 17:
    case 18:
        tfilter::onePoleSvfSteps(type, cf.opA, cf.opB, cf.svfF, cf.svfD, s.onePole, s.svfLow,
                                 s.svfBand, v);
        break;
    case 19:
    case 20:
    case 25:
    case 26:
        for (int k = 0; k < 4; ++k) {
            Float4 raw;
            const Float4 y = biquadStep(s.bqX, s.bqY, v[k], slots[k], bq, raw);
            const SvfOut o = clippedSvf(s.svfLow, s.svfBand, y, cf.svfF, cf.svfD);
            if (type == 19)
                v[k] = o.low * kSqrt2 + kOffset;
            else if (type == 20)
                v[k] = o.high * kSqrt2 + kOffset;
            else if (type == 25)
                v[k] = o.band * kTwo + kOffset;
            else
                v[k] = (o.low - o.high) * kSqrt2 + kOffset;
        }
        break;
    case 21:
    case 22:
    case 23:
    case 24:
        tfilter::ladderSteps(type, cf.ladP, cf.ladF, cf.ladK, s.lad, v);
        break;
    case 33:
    case 34:
        for (int k = 0; k < 4; ++k) {
            Float4 raw;
            const Float4 y = biquadStep(s.bqX, s.bqY, v[k], slots[k], bq, raw);
            // The low-pass cascade feeds the ladder the sum before the clamp.
            const Float4 in = type == 33 ? raw : y;
            const tfilter::Ladder<Float4> o =
                tfilter::ladderStep(s.lad, in, cf.ladP, cf.ladF, cf.ladK);
            v[k] = (type == 33 ? o.low * kTwo : in - o.low) + kOffset;
        }
        break;
    case 35:
    case 36:
    case 37: {
        const Float4 gain(type == 35 ? 2.83f : 0.15f);
        for (int k = 0; k < 4; ++k) {
            const int* sl = slots[k];
            s.fX[sl[0]] = v[k];
            const Float4 d = v[k] - s.fX[sl[2]];
            Float4 sum;
            for (int b = 0; b < 4; ++b) {
                Float4 y = cf.fB0[b] * d - cf.fA1[b] * s.fY[b][sl[1]] - cf.fA2[b] * s.fY[b][sl[2]];
                y = clamp(y, Float4(0.0f) - kBiquadLimit, kBiquadLimit);
                s.fY[b][sl[0]] = y;
                sum += y;
            }
            v[k] = sum * gain + kOffset;
        }
        break;
    }
    case 41:
    case 42:
        for (int k = 0; k < 4; ++k) v[k] = v[k] * ring[k] + kOffset;
        break;
    default: // 0, the combs (run elsewhere) and out-of-range types leave the input
        break;
    }
}

void TFilter::runHP(const Coefs& cf, Lanes& s, Float4 (&v)[4]) {
    tfilter::highPass(s.hpLow, s.hpBand, v, cf.hpF, cf.hpD);
}

void TFilter::process(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue,
                      float vowel, stereoOverStruct inA, stereoOverStruct inB,
                      stereoOverStruct& outA, stereoOverStruct& outB) {
    splitPair(); // this form runs on the filter's own state
    // The frames stay in registers: built in a float array and read back as vectors they
    // would stall on the stores.
    Float4 drivenA = Float4::load(&inA.first.left), drivenB = Float4::load(&inB.first.left);
    drivePassFrames(drivenA, drivenB);
    if (type == 0 && !hpOn) {
        drivenA.store(&outA.first.left);
        drivenB.store(&outB.first.left);
        return;
    }
    if (updateControls(cutoff, cutoffMod, resonanceValue, vowel)) computeCoefficients(vowel);

    // Work at one tenth of the level; a sample that is not finite enters as silence.
    const Float4 tenth(0.1f), offset(1e-15f);
    const Float4 frameA = filtermath::finiteOrZero(drivenA) * tenth + offset;
    const Float4 frameB = filtermath::finiteOrZero(drivenB) * tenth + offset;
    int slots[4][3];
    historySlots(slots);
    Float4 ring[4];
    if (type == 41 || type == 42) ringModulators(ring);

    Float4 v[4];
    if (type >= 38 && type <= 40) {
        alignas(16) float a[4], b[4];
        frameA.store(a);
        frameB.store(b);
        float left[4] = {a[0], a[2], b[0], b[2]};
        float right[4] = {a[1], a[3], b[1], b[3]};
        runComb(0, 1, left, right, passRingFill);
        passRingFill = passRingFill + 4 < kRingFrames ? passRingFill + 4 : kRingFrames;
        advanceComb();
        for (int k = 0; k < 4; ++k) v[k] = pairVec(left[k], right[k]);
    } else {
        // {L0, R0, L1, R1} into {R, L, R, L} per sub-frame.
        v[0] = _mm_shuffle_ps(frameA.v, frameA.v, _MM_SHUFFLE(0, 1, 0, 1));
        v[1] = _mm_shuffle_ps(frameA.v, frameA.v, _MM_SHUFFLE(2, 3, 2, 3));
        v[2] = _mm_shuffle_ps(frameB.v, frameB.v, _MM_SHUFFLE(0, 1, 0, 1));
        v[3] = _mm_shuffle_ps(frameB.v, frameB.v, _MM_SHUFFLE(2, 3, 2, 3));
        runGroup(c, pass, v, slots, ring);
    }
    if (hpOn) runHP(c, pass, v);
    sanitize(pass, v);

    // Lanes 3 and 2 of each sub-frame back into {L0, R0, L1, R1}, at full level.
    const Float4 ten(10.0f);
    (Float4(_mm_shuffle_ps(v[0].v, v[1].v, _MM_SHUFFLE(2, 3, 2, 3))) * ten).store(&outA.first.left);
    (Float4(_mm_shuffle_ps(v[2].v, v[3].v, _MM_SHUFFLE(2, 3, 2, 3))) * ten).store(&outB.first.left);
}

// ---- Two voices in one vector --------------------------------------------------------------

bool TFilter::pairMembers(int type, Members& m) {
    // Coefs and Lanes are arrays of Float4 in all but name: members by index.
    constexpr auto cf = [](size_t offset) { return static_cast<int>(offset / sizeof(Float4)); };
    static constexpr int kOnePoleC[] = {cf(offsetof(Coefs, opA)), cf(offsetof(Coefs, opB))};
    static constexpr int kOnePoleL[] = {cf(offsetof(Lanes, onePole))};
    static constexpr int kSvfC[] = {cf(offsetof(Coefs, svfF)), cf(offsetof(Coefs, svfD))};
    static constexpr int kSvfL[] = {cf(offsetof(Lanes, svfLow)), cf(offsetof(Lanes, svfBand))};
    static constexpr int kBothC[] = {cf(offsetof(Coefs, opA)), cf(offsetof(Coefs, opB)),
                                     cf(offsetof(Coefs, svfF)), cf(offsetof(Coefs, svfD))};
    static constexpr int kBothL[] = {cf(offsetof(Lanes, onePole)), cf(offsetof(Lanes, svfLow)),
                                     cf(offsetof(Lanes, svfBand))};
    static constexpr int kZdfC[] = {cf(offsetof(Coefs, zG)),  cf(offsetof(Coefs, zC1)),
                                    cf(offsetof(Coefs, zH1)), cf(offsetof(Coefs, zC2)),
                                    cf(offsetof(Coefs, zH2)), cf(offsetof(Coefs, wLP)),
                                    cf(offsetof(Coefs, wBP)), cf(offsetof(Coefs, wHP))};
    static constexpr int kZdfL[] = {cf(offsetof(Lanes, z1s1)), cf(offsetof(Lanes, z1s2)),
                                    cf(offsetof(Lanes, z2s1)), cf(offsetof(Lanes, z2s2))};
    static constexpr int kLadderC[] = {cf(offsetof(Coefs, ladP)), cf(offsetof(Coefs, ladF)),
                                       cf(offsetof(Coefs, ladK))};
    static constexpr int kLadderL[] = {cf(offsetof(Lanes, lad)), cf(offsetof(Lanes, lad)) + 1,
                                       cf(offsetof(Lanes, lad)) + 2, cf(offsetof(Lanes, lad)) + 3,
                                       cf(offsetof(Lanes, lad)) + 4};
    auto set = [&](const auto& coefs, const auto& lanes) {
        m = {coefs, static_cast<int>(std::size(coefs)), lanes, static_cast<int>(std::size(lanes))};
        return true;
    };
    if (type == 1 || type == 2) return set(kOnePoleC, kOnePoleL);
    if (type >= 3 && type <= 6) return set(kSvfC, kSvfL);
    if (type == 17 || type == 18) return set(kBothC, kBothL);
    if ((type >= 11 && type <= 16) || (type >= 27 && type <= 32)) return set(kZdfC, kZdfL);
    if (type >= 21 && type <= 24) return set(kLadderC, kLadderL);
    return false; // the rotating history, combs, ring modulators and type 0 stay alone
}

// process()'s steps up to the recurrence: pre-drive, controls, coefficients, and the frames as
// {R, L, R, L} per sub-frame at one tenth of the level.
void TFilter::preparePass(const PassInput& in, Float4 (&v)[4]) {
    Float4 drivenA = Float4::load(&in.inA.first.left), drivenB = Float4::load(&in.inB.first.left);
    drivePassFrames(drivenA, drivenB);
    if (updateControls(in.cutoff, in.cutoffMod, in.resonance, in.vowel))
        computeCoefficients(in.vowel);
    const Float4 tenth(0.1f), offset(1e-15f);
    const Float4 frameA = filtermath::finiteOrZero(drivenA) * tenth + offset;
    const Float4 frameB = filtermath::finiteOrZero(drivenB) * tenth + offset;
    v[0] = _mm_shuffle_ps(frameA.v, frameA.v, _MM_SHUFFLE(0, 1, 0, 1));
    v[1] = _mm_shuffle_ps(frameA.v, frameA.v, _MM_SHUFFLE(2, 3, 2, 3));
    v[2] = _mm_shuffle_ps(frameB.v, frameB.v, _MM_SHUFFLE(0, 1, 0, 1));
    v[3] = _mm_shuffle_ps(frameB.v, frameB.v, _MM_SHUFFLE(2, 3, 2, 3));
}

namespace {

// b's vector in lanes 0 and 1, a's in lanes 2 and 3.
inline Float4 joinHalves(Float4 a, Float4 b) {
    return _mm_shuffle_ps(b.v, a.v, 0xE4);
}
inline Float4 upperHalf(Float4 x) {
    return _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(3, 2, 3, 2));
}
inline Float4 lowerHalf(Float4 x) {
    return _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(1, 0, 1, 0));
}

} // namespace

void TFilter::clearPass() {
    pass = Lanes{};
    ++stateSerial;
}

void TFilter::splitPair() {
    TFilter* const a = pairHolder;
    if (!a) return;
    TFilter* const b = a->pairOther;
    Members m;
    if (pairMembers(a->pairType, m)) {
        const Float4* joined = reinterpret_cast<const Float4*>(&a->pairLanes);
        Float4* da = reinterpret_cast<Float4*>(&a->pass);
        Float4* db = reinterpret_cast<Float4*>(&b->pass);
        // A filter cleared since the pair formed keeps its cleared state.
        const bool keepA = a->stateSerial == a->pairStateSerial[0];
        const bool keepB = b->stateSerial == a->pairStateSerial[1];
        auto put = [&](int i) {
            if (keepA) da[i] = upperHalf(joined[i]);
            if (keepB) db[i] = lowerHalf(joined[i]);
        };
        for (int i = 0; i < m.laneCount; ++i) put(m.lanes[i]);
        if (a->pairHp)
            for (int i : kHpLanes) put(i);
    }
    a->pairHolder = a->pairOther = nullptr;
    b->pairHolder = nullptr;
}

bool TFilter::beginPair(TFilter& a, TFilter& b, const PassInput& inputA, const PassInput& inputB,
                        Float4 (&v)[4]) {
    Members m;
    if (&a == &b || a.type != b.type || a.hpOn != b.hpOn || !pairMembers(a.type, m)) return false;
    const bool hp = a.hpOn != 0;
    Float4 va[4], vb[4];
    a.preparePass(inputA, va);
    b.preparePass(inputB, vb);
    for (int k = 0; k < 4; ++k) v[k] = joinHalves(va[k], vb[k]);

    // The pair's joined coefficients and states stay in a between passes while the same two
    // filters meet with the same type and high-pass setting; each part is joined again only
    // when one side's own changed.
    Float4* ca = reinterpret_cast<Float4*>(&a.pairCoefs);
    Float4* joined = reinterpret_cast<Float4*>(&a.pairLanes);
    const Float4* sa = reinterpret_cast<const Float4*>(&a.pass);
    const Float4* sb = reinterpret_cast<const Float4*>(&b.pass);
    const bool held = !a.fullWork && a.pairHolder == &a && a.pairOther == &b &&
                      b.pairHolder == &a && a.pairType == a.type && (a.pairHp != 0) == hp;
    if (held) ZEK2_SHORTCUT_TAKEN(FilterPairHeld);
    if (!held) {
        a.splitPair();
        b.splitPair();
        a.pairHolder = b.pairHolder = &a;
        a.pairOther = &b;
        a.pairType = a.type;
        a.pairHp = hp ? 1 : 0;
        a.pairCoefSerial[0] = a.coefSerial - 1; // joined below
        a.pairStateSerial[0] = a.stateSerial - 1;
        a.pairStateSerial[1] = b.stateSerial - 1;
    }
    const bool newA = a.pairStateSerial[0] != a.stateSerial;
    const bool newB = a.pairStateSerial[1] != b.stateSerial;
    if (newA || newB) {
        auto load = [&](int i) {
            joined[i] = joinHalves(newA ? sa[i] : joined[i], newB ? sb[i] : joined[i]);
        };
        for (int i = 0; i < m.laneCount; ++i) load(m.lanes[i]);
        if (hp)
            for (int i : kHpLanes) load(i);
        a.pairStateSerial[0] = a.stateSerial;
        a.pairStateSerial[1] = b.stateSerial;
    }
    if (a.pairCoefSerial[0] != a.coefSerial || a.pairCoefSerial[1] != b.coefSerial) {
        const Float4* cb = reinterpret_cast<const Float4*>(&b.c);
        const Float4* own = reinterpret_cast<const Float4*>(&a.c);
        for (int i = 0; i < m.coefCount; ++i)
            ca[m.coefs[i]] = joinHalves(own[m.coefs[i]], cb[m.coefs[i]]);
        if (hp)
            for (int i : kHpCoefs) ca[i] = joinHalves(own[i], cb[i]);
        a.pairCoefSerial[0] = a.coefSerial;
        a.pairCoefSerial[1] = b.coefSerial;
    }
    return true;
}

void TFilter::endPair(TFilter& a, TFilter& b, const Float4 (&v)[4], stereoOverStruct (&outA)[2],
                      stereoOverStruct (&outB)[2]) {
    Float4 outHigh[4], outLow[4];
    for (int k = 0; k < 4; ++k) {
        outHigh[k] = upperHalf(v[k]);
        outLow[k] = lowerHalf(v[k]);
    }
    // Every state reaches the output within a call or two, so a non-finite output is enough
    // to notice one that stopped being finite: that filter starts again from silence.
    auto finite = [](const Float4(&w)[4]) {
        return filtermath::allFinite(w[0]) && filtermath::allFinite(w[1]) &&
               filtermath::allFinite(w[2]) && filtermath::allFinite(w[3]);
    };
    if (!finite(outHigh)) a.clearPass();
    if (!finite(outLow)) b.clearPass();

    const Float4 ten(10.0f);
    auto store = [&](const Float4(&w)[4], stereoOverStruct(&out)[2]) {
        (Float4(_mm_shuffle_ps(w[0].v, w[1].v, _MM_SHUFFLE(2, 3, 2, 3))) * ten)
            .store(&out[0].first.left);
        (Float4(_mm_shuffle_ps(w[2].v, w[3].v, _MM_SHUFFLE(2, 3, 2, 3))) * ten)
            .store(&out[1].first.left);
    };
    store(outHigh, outA);
    store(outLow, outB);
}

bool TFilter::processPair(TFilter& a, TFilter& b, const PassInput& inputA, const PassInput& inputB,
                          stereoOverStruct (&outA)[2], stereoOverStruct (&outB)[2]) {
    Float4 v[4];
    if (!beginPair(a, b, inputA, inputB, v)) return false;
    static constexpr int kNoSlots[4][3] = {}; // the paired types keep no history
    const Float4 ring[4];
    a.runGroup(a.pairCoefs, a.pairLanes, v, kNoSlots, ring);
    if (a.pairHp) runHP(a.pairCoefs, a.pairLanes, v);
    endPair(a, b, v, outA, outB);
    return true;
}

// ---- Two pairs in eight lanes ---------------------------------------------------------------

namespace {

ZEK2_AVX2 inline Float8 join8(Float4 lo, Float4 hi) {
    return Float8::join(lo, hi);
}

// join8's inverse: the first pair's half back to p, the second's to q.
ZEK2_AVX2 inline void split8(const Float8& x, Float4& p, Float4& q) {
    p = x.low();
    q = x.high();
}

// The recurrences of processPair for two pairs of the same type and high-pass setting, the
// first pair (coefficients cp, states sp, lanes vp) in lanes 0..3 and the second in 4..7: the
// same steps per lane as runGroup and runHP. C and L are TFilter's Coefs and Lanes.
template <class C, class L>
__attribute__((target("avx2"), flatten)) void runPairsWide(int type, bool hp, const C& cp,
                                                           const C& cq, L& sp, L& sq,
                                                           Float4 (&vp)[4], Float4 (&vq)[4]) {
    Float8 v[4];
    for (int k = 0; k < 4; ++k) v[k] = join8(vp[k], vq[k]);
    if (type == 1 || type == 2) {
        Float8 state = join8(sp.onePole, sq.onePole);
        tfilter::wide::onePoleSteps(type, join8(cp.opA, cq.opA), join8(cp.opB, cq.opB), state, v);
        split8(state, sp.onePole, sq.onePole);
    } else if (type >= 3 && type <= 6) {
        Float8 low = join8(sp.svfLow, sq.svfLow), band = join8(sp.svfBand, sq.svfBand);
        tfilter::wide::svfSteps(type, join8(cp.svfF, cq.svfF), join8(cp.svfD, cq.svfD), low, band,
                                v);
        split8(low, sp.svfLow, sq.svfLow);
        split8(band, sp.svfBand, sq.svfBand);
    } else if (type == 17 || type == 18) {
        Float8 state = join8(sp.onePole, sq.onePole);
        Float8 low = join8(sp.svfLow, sq.svfLow), band = join8(sp.svfBand, sq.svfBand);
        tfilter::wide::onePoleSvfSteps(type, join8(cp.opA, cq.opA), join8(cp.opB, cq.opB),
                                       join8(cp.svfF, cq.svfF), join8(cp.svfD, cq.svfD), state, low,
                                       band, v);
        split8(state, sp.onePole, sq.onePole);
        split8(low, sp.svfLow, sq.svfLow);
        split8(band, sp.svfBand, sq.svfBand);
    } else if (type >= 21 && type <= 24) {
        Float8 b[5];
        for (int i = 0; i < 5; ++i) b[i] = join8(sp.lad[i], sq.lad[i]);
        tfilter::wide::ladderSteps(type, join8(cp.ladP, cq.ladP), join8(cp.ladF, cq.ladF),
                                   join8(cp.ladK, cq.ladK), b, v);
        for (int i = 0; i < 5; ++i) split8(b[i], sp.lad[i], sq.lad[i]);
    } else { // the zero-delay types
        const tfilter::ZdfCoefs<Float8> z{join8(cp.zG, cq.zG),   join8(cp.zC1, cq.zC1),
                                          join8(cp.zH1, cq.zH1), join8(cp.zC2, cq.zC2),
                                          join8(cp.zH2, cq.zH2), join8(cp.wLP, cq.wLP),
                                          join8(cp.wBP, cq.wBP), join8(cp.wHP, cq.wHP)};
        Float8 s1 = join8(sp.z1s1, sq.z1s1), s2 = join8(sp.z1s2, sq.z1s2);
        Float8 t1 = join8(sp.z2s1, sq.z2s1), t2 = join8(sp.z2s2, sq.z2s2);
        tfilter::wide::zdfSteps(type, z, s1, s2, t1, t2, v);
        split8(s1, sp.z1s1, sq.z1s1);
        split8(s2, sp.z1s2, sq.z1s2);
        split8(t1, sp.z2s1, sq.z2s1);
        split8(t2, sp.z2s2, sq.z2s2);
    }
    if (hp) {
        Float8 low = join8(sp.hpLow, sq.hpLow), band = join8(sp.hpBand, sq.hpBand);
        tfilter::wide::highPass(low, band, v, join8(cp.hpF, cq.hpF), join8(cp.hpD, cq.hpD));
        split8(low, sp.hpLow, sq.hpLow);
        split8(band, sp.hpBand, sq.hpBand);
    }
    for (int k = 0; k < 4; ++k) split8(v[k], vp[k], vq[k]);
}

} // namespace

bool TFilter::processQuad(TFilter* const (&f)[4], const PassInput* const (&in)[4],
                          stereoOverStruct (&out)[4][2]) {
    TFilter& a = *f[0];
    Members m;
    if (!a.wide || !pairMembers(a.type, m)) return false;
    for (int i = 1; i < 4; ++i) {
        if (f[i]->type != a.type || f[i]->hpOn != a.hpOn) return false;
        for (int j = 0; j < i; ++j)
            if (f[i] == f[j]) return false;
    }
    TFilter& c = *f[2];
    Float4 v[2][4];
    beginPair(a, *f[1], *in[0], *in[1], v[0]);
    beginPair(c, *f[3], *in[2], *in[3], v[1]);
    runPairsWide(a.type, a.hpOn != 0, a.pairCoefs, c.pairCoefs, a.pairLanes, c.pairLanes, v[0],
                 v[1]);
    endPair(a, *f[1], v[0], out[0], out[1]);
    endPair(c, *f[3], v[1], out[2], out[3]);
    return true;
}
