// The user waves' tables: 512 points to a 4,096-sample base table, analysis into partials,
// re-synthesis, the 33 band-limited tables, the user LFO wave, and the radix-2 transform they
// share. Rebuilds run on the thread that asks (the editor, or the audio thread when an
// oscillator switches to a user wave); a flag held for the whole rebuild keeps them apart.
#include "engine/APlugin.h"

#include "engine/host/TestHooks.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <chrono>
#include <cmath>
#include <emmintrin.h>
#include <thread>
#include <xmmintrin.h>

namespace {

constexpr int kSize = 4096;
constexpr int kPartials = 4095; // analysed partials: bins 1..4095
constexpr int kResynthPartials = 2047;
constexpr double kTwoPi = 6.283185307179586;

int firstTag(int n) {
    return n == 0 ? tag::UserWave1First : tag::UserWave2First;
}

} // namespace

// The audio thread only tries; the editor's thread waits its turn: for one step of the
// render's build (never a wait itself) or for its own rebuild. It sleeps between looks, so a
// render of lower priority on its core gets to end the step.
bool APlugin::lockUserWaves(bool wait) {
    bool expected = false;
    while (!userWaveBusy.compare_exchange_weak(expected, true)) {
        if (!wait) return false;
        expected = false;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    return true;
}

void APlugin::unlockUserWaves() {
    userWaveBusy.store(false);
}

// Complex radix-2 transform of the work arrays in place of the output arrays; no 1/size
// scaling (every caller matches peaks instead). A size that is not a power of two up to 4096
// is refused.
void APlugin::transform(double angle, int size) {
    if (size < 2 || size > kSize || (size & (size - 1)) != 0) return;
    // i's bit-reversed index r, counted up alongside i (a carry running down from the top bit).
    for (int i = 0, r = 0; i < size; ++i) {
        fftOutRe[r] = fftInRe[i];
        fftOutIm[r] = fftInIm[i];
        int bit = size >> 1;
        while (r & bit) {
            r ^= bit;
            bit >>= 1;
        }
        r |= bit;
    }
    // Two floats to two doubles and back; the conversions round as the scalar ones do.
    const auto load2 = [](const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    };
    const auto store2 = [](float* p, __m128d x) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(x)));
    };
    for (int block = 2; block <= size; block <<= 1) {
        const double delta = angle / block;
        const double s = std::sin(0.5 * delta);
        const double alpha = 2.0 * s * s, beta = std::sin(delta);
        const int half = block / 2;
        double wr = 1.0, wi = 0.0;
        // w times e^(i delta), by the recurrence that keeps its length near 1.
        const auto turn = [&] {
            const double oldWr = wr;
            wr = wr - (alpha * wr + beta * wi);
            wi = wi - (alpha * wi - beta * oldWr);
        };
        if (half == 1) {
            for (int even = 0; even < size; even += 2) {
                const int odd = even + 1;
                const double tr = wr * fftOutRe[odd] - wi * fftOutIm[odd];
                const double ti = wr * fftOutIm[odd] + wi * fftOutRe[odd];
                fftOutRe[odd] = static_cast<float>(fftOutRe[even] - tr);
                fftOutIm[odd] = static_cast<float>(fftOutIm[even] - ti);
                fftOutRe[even] = static_cast<float>(fftOutRe[even] + tr);
                fftOutIm[even] = static_cast<float>(fftOutIm[even] + ti);
            }
            continue;
        }
        // Butterflies j and j + 1 side by side in two lanes: the same operations on each, in
        // the same order, as one at a time (the butterflies of a stage share no element).
        for (int j = 0; j < half; j += 2) {
            const double wr0 = wr, wi0 = wi;
            turn();
            const __m128d cr = _mm_set_pd(wr, wr0), ci = _mm_set_pd(wi, wi0);
            turn();
            for (int even = j; even < size; even += block) {
                const int odd = even + half;
                const __m128d oRe = load2(fftOutRe + odd), oIm = load2(fftOutIm + odd);
                const __m128d eRe = load2(fftOutRe + even), eIm = load2(fftOutIm + even);
                const __m128d tr = _mm_sub_pd(_mm_mul_pd(cr, oRe), _mm_mul_pd(ci, oIm));
                const __m128d ti = _mm_add_pd(_mm_mul_pd(cr, oIm), _mm_mul_pd(ci, oRe));
                store2(fftOutRe + odd, _mm_sub_pd(eRe, tr));
                store2(fftOutIm + odd, _mm_sub_pd(eIm, ti));
                store2(fftOutRe + even, _mm_add_pd(eRe, tr));
                store2(fftOutIm + even, _mm_add_pd(eIm, ti));
            }
        }
    }
}

void APlugin::fft(int size) {
    transform(kTwoPi, size);
}

void APlugin::ifft(int size) {
    transform(-kTwoPi, size);
}

void APlugin::pointsToBaseTable(int n) {
    float* table = userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES];
    const Relaxed<float>* points = currentValues + firstTag(n);
    for (int s = 0; s < kSize; ++s) {
        const float p = static_cast<float>(s) * 0.00024414124f * 511.99f;
        // p lies in 0 .. 512: its whole part is its floor, without a call to floor.
        const int whole = static_cast<int>(p);
        const int i0 = whole & 511;
        const int i1 = (i0 + 1) & 511;
        const float a0 = 2.0f * points[i0] - 1.0f, a1 = 2.0f * points[i1] - 1.0f;
        table[s] = a0 + (a1 - a0) * (p - static_cast<float>(whole));
    }
    waveLookStamp.fetch_add(1, std::memory_order_release);
}

void APlugin::getPartialsFromBaseUserTable(int n) {
    if (!isValidWave(n)) return;
    partialsFromTransform(n, transformBaseUserTable(n));
}

float APlugin::transformBaseUserTable(int n) {
    if (!isValidWave(n)) return 0.0f;
    const float* table = userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES];
    float peak = 0.0f;
    for (int i = 0; i < kSize; ++i) {
        fftInRe[i] = table[i];
        fftInIm[i] = 1e-5f;
        peak = std::fabs(table[i]) > peak ? std::fabs(table[i]) : peak;
    }
    fft(kSize);
    return peak;
}

void APlugin::partialsFromTransform(int n, float peak) {
    if (!isValidWave(n)) return;
    float largest = 1e-5f;
    for (int k = 0; k < kPartials; ++k) {
        const float re = fftOutRe[k + 1], im = fftOutIm[k + 1];
        const float amp = std::sqrt(re * re + im * im) + 1e-15f;
        fftInRe[k] = amp; // the input arrays are free now: keep amp and phase there a moment
        fftInIm[k] = static_cast<float>(std::atan2(im, re + 1e-5f) / 6.283185 + 0.5);
        largest = amp > largest ? amp : largest;
    }
    // The strongest partial equals the waveform's peak.
    const float scale = peak / largest;
    for (auto& partial : userWavePartials[n]) partial[0] = partial[1] = 0.0f;
    for (int k = 0; k < kPartials; ++k) {
        userWavePartials[n][k][0] = fftInRe[k] * scale;
        userWavePartials[n][k][1] = fftInIm[k];
    }
    waveLookStamp.fetch_add(1, std::memory_order_release);
}

// Spectrum of partials 0 .. count - 1 into the transform input; returns the largest amp used
// (0 when it is below 1e-5).
static float loadSpectrum(const float (*partials)[2], int count, float* re, float* im) {
    for (int i = 0; i < kSize; ++i) re[i] = im[i] = 0.0f;
    float largest = 0.0f;
    for (int k = 0; k < count; ++k) {
        const float a = partials[k][0];
        const double angle = kTwoPi * (partials[k][1] - 0.5);
        re[k + 1] = static_cast<float>(a * std::cos(angle));
        im[k + 1] = static_cast<float>(a * std::sin(angle));
        largest = a > largest ? a : largest;
    }
    return largest < 1e-5f ? 0.0f : largest;
}

// The real output scaled so its peak equals `target`; 0 for a silent result.
static float peakScale(const float* x, float target) {
    float peak = 0.0f;
    for (int i = 0; i < kSize; ++i) peak = std::fabs(x[i]) > peak ? std::fabs(x[i]) : peak;
    return peak > 1e-5f ? target / peak : 0.0f;
}

void APlugin::createSSEUserWaveTableFromPartials(int n) {
    if (!isValidWave(n)) return;
    for (int t = 1; t < OSC_BANDS_PER_WAVE; ++t) {
        const float largest =
            loadSpectrum(userWavePartials[n], tables->oscPartialLimits[t], fftInRe, fftInIm);
        ifft(kSize);
        const float scale = peakScale(fftOutRe, largest);
        float* table = userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES + t];
        for (int i = 0; i < kSize; ++i) table[i] = fftOutRe[i] * scale;
    }
}

void APlugin::createBaseUserTableFromPartials(int n) {
    if (!isValidWave(n)) return;
    resynthesiseUserWavePoints(n, userWavePointWrites[n].load(std::memory_order_acquire));
    createUserLFOWave(n);
}

void APlugin::resynthesiseUserWavePoints(int n, uint32_t since) {
    if (!isValidWave(n)) return;
    float sum = 0.0f;
    for (const auto& partial : userWavePartials[n]) sum += partial[0];
    float points[tag::UserWavePointCount];
    if (sum < 1e-5f) {
        // Nothing left to sound: a flat wave and silent tables.
        for (float& p : points) p = 0.5f;
        writeBackUserWavePoints(n, since, points);
        pointsToBaseTable(n);
        for (int t = 1; t < OSC_BANDS_PER_WAVE; ++t)
            for (float& x : userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES + t])
                x = 0.0f;
    } else {
        const float largest = loadSpectrum(userWavePartials[n], kResynthPartials, fftInRe, fftInIm);
        ifft(kSize);
        const float scale = peakScale(fftOutRe, largest);
        for (int i = 0; i < tag::UserWavePointCount; ++i)
            points[i] = fftOutRe[8 * i] * 0.5f * scale + 0.5f;
        writeBackUserWavePoints(n, since, points);
        pointsToBaseTable(n);
    }
}

void APlugin::writeBackUserWavePoints(int n, uint32_t since, const float* points) {
    const int first = firstTag(n);
    for (int i = 0; i < tag::UserWavePointCount; ++i) {
        ZEK2_TEST_HOOK(writeBackPoint);
        const uint32_t ended = userWavePointEnded[n][i].load();
        const uint32_t begun = userWavePointBegun[n][i].load();
        // Read after the point's counts: a write of it that ended before them is counted here.
        // A point written since the points were read keeps the wave as written.
        if (userWavePointWrites[n].load() != since) return;
        // A write of this point is under way: its value stands.
        if (begun != ended) continue;
        ZEK2_TEST_HOOK(writeBackStore);
        const float v = storeParameter(first + i, points[i]);
        if (paramNotifiesEditor[first + i]) pushToEditor(first + i, v);
        putBackWrittenPoint(n, i, begun);
    }
}

void APlugin::putBackWrittenPoint(int n, int i, uint32_t begun) {
    // A write stores the point after counting its begin and a fence. Its stores can land before
    // the smoothing's, and be lost under them, only if its fence came before the one here: then
    // its begin is seen below. Its value was kept before the count.
    const int t = firstTag(n) + i;
    for (int pass = 0; pass < kRecordSettlePasses; ++pass) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        const uint32_t now = userWavePointBegun[n][i].load();
        if (now == begun) return;
        begun = now;
        const float v = storeParameter(t, userWaveWrittenPoints[n][i]);
        if (paramNotifiesEditor[t]) pushToEditor(t, v);
    }
}

void APlugin::updatePartials(int n) {
    if (!isValidWave(n)) return;
    lockUserWaves(true);
    userWaveEdits.fetch_add(1);
    pointsToBaseTable(n);
    getPartialsFromBaseUserTable(n);
    unlockUserWaves();
}

void APlugin::createUserLFOWave(int n) {
    if (!isValidWave(n)) return;
    const auto& interp = tables->userWaveInterpTables;
    const Relaxed<float>* points = currentValues + firstTag(n);
    // Each point read once, with the offset every read of it adds; then four shape entries at
    // a time, each lane the same operations in the same order as one entry alone.
    float q[512];
    for (int i = 0; i < 512; ++i) q[i] = points[i] + 1e-15f;
    static_assert(kLfoShapeSize % 4 == 0, "whole groups of four");
    const __m128 two = _mm_set1_ps(2.0f), one = _mm_set1_ps(1.0f), tiny = _mm_set1_ps(1e-15f);
    float* out = userLfoShapes[n];
    for (int j = 0; j < kLfoShapeSize; j += 4) {
        const int32_t* a = interp.index + j;
        const int32_t* b = interp.next + j;
        const __m128 p0 = _mm_setr_ps(q[a[0] & 511], q[a[1] & 511], q[a[2] & 511], q[a[3] & 511]);
        const __m128 p1 = _mm_setr_ps(q[b[0] & 511], q[b[1] & 511], q[b[2] & 511], q[b[3] & 511]);
        const __m128 x =
            _mm_add_ps(p0, _mm_mul_ps(_mm_sub_ps(p1, p0), _mm_loadu_ps(interp.fraction + j)));
        _mm_storeu_ps(out + j, _mm_add_ps(_mm_sub_ps(_mm_mul_ps(two, x), one), tiny));
    }
}

// The full chain for one user wave: its points become table 0, partials, smoothed points and
// LFO wave, and the band-limited tables when an oscillator plays the wave.
void APlugin::createUserWaveTable(int n) {
    if (!isValidWave(n)) return;
    lockUserWaves(true);
    userWaveEdits.fetch_add(1);
    // The points are read now: the writes counted so far are built here, later ones by the
    // audio thread.
    const uint32_t since = userWavePointWrites[n].load(std::memory_order_acquire);
    userWaveWritesBuilt[n].store(since, std::memory_order_relaxed);
    rebuildUserWave(n, since);
    unlockUserWaves();
}

void APlugin::rebuildUserWave(int n, uint32_t since) {
    pointsToBaseTable(n);
    ZEK2_TEST_HOOK(waveRebuildRead);
    getPartialsFromBaseUserTable(n);
    resynthesiseUserWavePoints(n, since);
    createUserLFOWave(n);
    if (oscType[0] == 4 + n || oscType[1] == 4 + n) createSSEUserWaveTableFromPartials(n);
}

float APlugin::getWaveTablePartialsAmp(int n, int k) const {
    return isValidWavePartial(n, k) ? userWavePartials[n][k][0] : 0.0f;
}

float APlugin::getWaveTablePartialsPhase(int n, int k) const {
    if (!isValidWavePartial(n, k) || userWavePartials[n][k][0] < 0.001f) return 0.0f;
    return userWavePartials[n][k][1];
}

float APlugin::getWaveTablePartials(int n, int k, bool phase) const {
    if (!isValidWavePartial(n, k)) return phase ? 0.5f : 0.0f;
    return userWavePartials[n][k][phase ? 1 : 0];
}

// An edit of one partial; the editor asks for the re-synthesis itself. No flag is left set
// here, so a later oscillator switch always gets its tables.
void APlugin::setWaveTablePartials(int n, int k, float value, bool phase) {
    if (!isValidWavePartial(n, k) || !std::isfinite(value)) return;
    userWavePartials[n][k][phase ? 1 : 0] = value;
}

void APlugin::setWaveTablePartials(int n, int k, float amp, float phase) {
    if (!isValidWavePartial(n, k) || !std::isfinite(amp) || !std::isfinite(phase)) return;
    userWavePartials[n][k][0] = amp;
    userWavePartials[n][k][1] = phase;
}
