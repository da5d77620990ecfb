// The voice filter's unison block form against the per-pass form, and its own rules: padding
// for odd counts, independent sub-voices, the comb's limit (the per-pass form's).
#include "StagesRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace stages;

namespace {

constexpr size_t kLength = 2048;

// Runs n sub-voices of noise through one block-form filter and through n per-pass filters with
// the same settings; returns the largest difference relative to the signal's peak.
double blockMismatch(int type, int n, bool hp) {
    std::vector<std::unique_ptr<TFilter>> single;
    auto blockFilter = std::make_unique<TFilter>();
    auto setUp = [&](TFilter& f) {
        prepare(f, type);
        f.setDistort(0.3f);
        f.setEnv(0.1f);
        f.setHP(hp ? 1.0f : 0.0f, 0.0f, 1.0f, 0.2f, 0.5f, 0.0f);
    };
    setUp(*blockFilter);
    std::vector<std::vector<float>> inL, inR;
    for (int j = 0; j < n; ++j) {
        single.push_back(std::make_unique<TFilter>());
        setUp(*single.back());
        inL.push_back(noise(kLength, 100 + j));
        inR.push_back(noise(kLength, 200 + j));
    }
    double worst = 0.0, level = 1e-9;
    for (size_t i = 0; i < kLength; i += 4) {
        const float sweep = float(i) / float(kLength);
        const stereoStruct cutoff{0.3f + 0.6f * sweep, 0.5f};
        const stereoStruct mod{0.05f, -0.05f};
        stereoOverStruct inA[6], inB[6], outA[6], outB[6];
        for (int j = 0; j < n; ++j) {
            inA[j] = frame(inL[j], inR[j], i);
            inB[j] = frame(inL[j], inR[j], i + 2);
        }
        blockFilter->process(cutoff, mod, 0.8f, sweep, n, inA, inB, outA, outB);
        for (int j = 0; j < n; ++j) {
            stereoOverStruct a, b;
            single[j]->process(cutoff, mod, 0.8f, sweep, frame(inL[j], inR[j], i),
                               frame(inL[j], inR[j], i + 2), a, b);
            const float want[8] = {a.first.left, a.first.right, a.second.left, a.second.right,
                                   b.first.left, b.first.right, b.second.left, b.second.right};
            const float got[8] = {outA[j].first.left,   outA[j].first.right, outA[j].second.left,
                                  outA[j].second.right, outB[j].first.left,  outB[j].first.right,
                                  outB[j].second.left,  outB[j].second.right};
            for (int k = 0; k < 8; ++k) {
                worst = std::fmax(worst, std::fabs(double(want[k]) - got[k]));
                level = std::fmax(level, std::fabs(double(want[k])));
            }
        }
    }
    return worst / level;
}

} // namespace

TEST(StagesFilterBlock, MatchesThePerPassFormForEveryNonCombType) {
    for (int type = 0; type < TFilter::kTypeCount; ++type) {
        if (type >= 38 && type <= 40) continue;
        for (int n = 1; n <= 6; ++n) {
            EXPECT_LT(blockMismatch(type, n, false), 1e-4) << "type " << type << " n " << n;
            if (n == 3) {
                EXPECT_LT(blockMismatch(type, n, true), 1e-4) << "type " << type;
            }
        }
    }
}

TEST(StagesFilterBlock, SubVoicesDoNotInteract) {
    // Sub-voice 1 is silent while sub-voice 0 rings a resonant filter: it stays silent.
    auto f = std::make_unique<TFilter>();
    prepare(*f, 23);
    const std::vector<float> loud = noise(kLength, 9);
    double leaked = 0.0;
    for (size_t i = 0; i < kLength; i += 4) {
        stereoOverStruct inA[6] = {frame(loud, loud, i)}, inB[6] = {frame(loud, loud, i + 2)};
        stereoOverStruct outA[6], outB[6];
        f->process({0.5f, 0.5f}, {}, 1.0f, 0.0f, 2, inA, inB, outA, outB);
        leaked = std::fmax(leaked, std::fabs(outA[1].first.left) + std::fabs(outB[1].second.right));
    }
    EXPECT_LT(leaked, 1e-6);
}

TEST(StagesFilterBlock, CombsRingPerSubVoiceAndLimitAsThePerPassForm) {
    auto f = std::make_unique<TFilter>();
    auto pass = std::make_unique<TFilter>();
    prepare(*f, 38);
    prepare(*pass, 38);
    const std::vector<float> loud = noise(kLength * 4, 4, 50.0);
    double peak = 0.0, passPeak = 0.0, quiet = 0.0;
    for (size_t i = 0; i < loud.size(); i += 4) {
        stereoOverStruct inA[6] = {{}, frame(loud, loud, i)};
        stereoOverStruct inB[6] = {{}, frame(loud, loud, i + 2)};
        stereoOverStruct outA[6], outB[6], a, b;
        f->process({0.4f, 0.4f}, {}, 1.0f, 0.0f, 3, inA, inB, outA, outB);
        pass->process({0.4f, 0.4f}, {}, 1.0f, 0.0f, inA[1], inB[1], a, b);
        peak = std::fmax(peak, std::fabs(outB[1].second.left));
        passPeak = std::fmax(passPeak, std::fabs(b.second.left));
        quiet = std::fmax(quiet, std::fabs(outA[0].first.left) + std::fabs(outA[2].first.right));
    }
    // Feedback near 1 saturates both forms at the same limit, +-100 at full scale.
    EXPECT_LE(peak, 100.0f);
    EXPECT_GT(peak, 99.0f);
    EXPECT_NEAR(peak, passPeak, 1e-3 * passPeak);
    EXPECT_LT(quiet, 1e-6); // the silent sub-voices' rings stay silent
}

TEST(StagesFilterBlock, BypassReturnsTheDrivenInputAndBadCountsAreRefused) {
    auto f = std::make_unique<TFilter>();
    prepare(*f, 0);
    stereoOverStruct inA[6] = {{{0.25f, -0.5f}, {0.125f, 1.0f}}}, inB[6] = {};
    stereoOverStruct outA[6] = {}, outB[6] = {};
    f->process({0.5f, 0.5f}, {}, 0.0f, 0.0f, 1, inA, inB, outA, outB);
    EXPECT_EQ(outA[0].first.left, 0.25f);
    EXPECT_EQ(outA[0].second.right, 1.0f);

    stereoOverStruct untouched[6] = {{{7.0f, 7.0f}, {7.0f, 7.0f}}};
    f->process({0.5f, 0.5f}, {}, 0.0f, 0.0f, 0, inA, inB, untouched, outB);
    f->process({0.5f, 0.5f}, {}, 0.0f, 0.0f, -3, inA, inB, untouched, outB);
    EXPECT_EQ(untouched[0].first.left, 7.0f);
}

// Two voices' filters in one vector give exactly what each gives alone, whatever their
// controls: every type (those that cannot pair are refused and left untouched), with the
// high-pass stage on and off, and a sudden very loud input on one of them.
TEST(StagesFilterBlock, PairedVoicesMatchTheirOwnPassesBitForBit) {
    for (int type = 0; type < TFilter::kTypeCount; ++type) {
        for (bool hp : {false, true}) {
            std::unique_ptr<TFilter> paired[2], alone[2];
            for (int i = 0; i < 2; ++i) {
                paired[i] = std::make_unique<TFilter>();
                alone[i] = std::make_unique<TFilter>();
                for (TFilter* f : {paired[i].get(), alone[i].get()}) {
                    prepare(*f, type);
                    f->setDistort(i ? 0.4f : 0.0f);
                    f->setEnv(i ? 0.2f : -0.1f);
                    f->setHP(hp ? 1.0f : 0.0f, 0.0f, 1.0f, i ? 0.3f : 0.1f, 0.5f, 0.0f);
                }
            }
            const std::vector<float> n0 = noise(kLength, 31), n1 = noise(kLength, 32, 3.0);
            bool pairedOnce = false;
            for (size_t p = 0; p + 4 <= kLength; p += 4) {
                TFilter::PassInput in[2];
                for (int i = 0; i < 2; ++i) {
                    const std::vector<float>& x = i ? n1 : n0;
                    // The second voice's cutoff sweeps; the first one's input (no drive holds it)
                    // jumps to the largest levels for a moment.
                    const float sweep = i ? 0.3f + 0.6f * float(p) / kLength : 0.7f;
                    const float bad = (!i && p == kLength / 2) ? 3e38f : 0.0f;
                    in[i] = {{sweep, sweep + 0.05f},
                             {0.0f, 0.0f},
                             i ? 0.9f : 0.4f,
                             0.3f,
                             {{x[p] + bad, x[p + 1]}, {x[p + 1], x[p]}},
                             {{x[p + 2], x[p + 3]}, {x[p + 3], x[p + 2]}}};
                }
                stereoOverStruct pairOut[2][2], aloneOut[2][2];
                const bool ran = TFilter::processPair(*paired[0], *paired[1], in[0], in[1],
                                                      pairOut[0], pairOut[1]);
                pairedOnce = pairedOnce || ran;
                for (int i = 0; i < 2; ++i) {
                    alone[i]->process(in[i].cutoff, in[i].cutoffMod, in[i].resonance, in[i].vowel,
                                      in[i].inA, in[i].inB, aloneOut[i][0], aloneOut[i][1]);
                    if (!ran)
                        paired[i]->process(in[i].cutoff, in[i].cutoffMod, in[i].resonance,
                                           in[i].vowel, in[i].inA, in[i].inB, pairOut[i][0],
                                           pairOut[i][1]);
                }
                ASSERT_EQ(std::memcmp(pairOut, aloneOut, sizeof(pairOut)), 0)
                    << "type " << type << " hp " << hp << " pass " << p / 4;
            }
            const bool pairable = (type >= 1 && type <= 6) || (type >= 11 && type <= 18) ||
                                  (type >= 21 && type <= 24) || (type >= 27 && type <= 32);
            EXPECT_EQ(pairedOnce, pairable) << "type " << type;
        }
    }
}

// The combs run their sub-voices side by side: each sub-voice of a block gives exactly what a
// block of that sub-voice alone gives, for every count (odd ones too), each comb type, split
// delays per channel, a ring still filling and one full, and a non-finite input on one of them.
TEST(StagesFilterBlock, CombSubVoicesMatchTheirOwnBlocksBitForBit) {
    for (int type = 38; type <= 40; ++type) {
        for (int n = 1; n <= TFilter::kMaxSubVoices; ++n) {
            auto together = std::make_unique<TFilter>();
            std::vector<std::unique_ptr<TFilter>> alone;
            prepare(*together, type);
            for (int j = 0; j < n; ++j) {
                alone.push_back(std::make_unique<TFilter>());
                prepare(*alone.back(), type);
            }
            std::vector<std::vector<float>> inL, inR;
            for (int j = 0; j < n; ++j) {
                inL.push_back(noise(kLength * 6, 300 + j, 0.5 + j));
                inR.push_back(noise(kLength * 6, 400 + j));
            }
            for (size_t i = 0; i + 4 <= kLength * 6; i += 4) {
                // Two delays that drift apart, so the channels read different slots.
                const float sweep = float(i) / float(kLength * 6);
                const stereoStruct cutoff{0.35f + 0.2f * sweep, 0.45f - 0.1f * sweep};
                stereoOverStruct inA[7], inB[7], outA[7], outB[7];
                for (int j = 0; j < n; ++j) {
                    inA[j] = frame(inL[j], inR[j], i);
                    inB[j] = frame(inL[j], inR[j], i + 2);
                }
                if (i == kLength) inA[n - 1].first.right = std::nanf("");
                together->process(cutoff, {}, 0.9f, 0.0f, n, inA, inB, outA, outB);
                for (int j = 0; j < n; ++j) {
                    stereoOverStruct a[2], b[2];
                    alone[j]->process(cutoff, {}, 0.9f, 0.0f, 1, &inA[j], &inB[j], a, b);
                    ASSERT_EQ(std::memcmp(&a[0], &outA[j], sizeof(a[0])), 0)
                        << "type " << type << " n " << n << " sub-voice " << j << " at " << i;
                    ASSERT_EQ(std::memcmp(&b[0], &outB[j], sizeof(b[0])), 0)
                        << "type " << type << " n " << n << " sub-voice " << j << " at " << i;
                }
            }
        }
    }
}
