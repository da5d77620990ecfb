// The audio thread's rebuild of a user wave, spread over the slow updates (every 128 samples):
// a whole rebuild is some forty transforms of 4,096 points, far more than one block may take.
// The oscillators keep the sounding tables until every new band-limited table is whole. Asked
// for by an oscillator's switch to the wave, a program apply, or a write of the wave's points
// (counted here, on the writer's thread).
#include "engine/APlugin.h"

#include "engine/host/TestHooks.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kSize = 4096;
constexpr double kTwoPi = 6.283185307179586;
constexpr int kBands = OSC_BANDS_PER_WAVE;

// Step numbers: the analysis's transform, the partials from it with the points' re-synthesis
// (the transform and the partials together would take most of a short block), the LFO wave,
// the shared spectrum, one band table per step, and the hand-over.
enum BuildStep { kAnalyse = 0, kResynth, kLfoWave, kSpectrum, kFirstBand };
constexpr int kHandOver = kFirstBand + kBands - 1;

} // namespace

void APlugin::requestUserWaveRebuild(int n, bool resynth) {
    if (!isValidWave(n)) return;
    // A switch that asks for the smoothing keeps it even when an engine reset asks again
    // meanwhile.
    if (!userWaveDirty[n]) userWaveBuildResynth[n] = 0;
    if (resynth) {
        userWaveBuildResynth[n] = 1;
        // The smoothing is of the points as they stood when the wave was last built: points
        // written since (a host restoring a sound writes them around the switch) are kept.
        userWaveResynthSince[n] = userWaveWritesBuilt[n].load(std::memory_order_relaxed);
    }
    userWaveDirty[n] = 1;
}

float APlugin::storeUserWavePoint(int n, int tag, float value) {
    // Never waits: a write-back of smoothed points on another thread (the editor's, the
    // render's) leaves a point alone while its write is under way, and puts the written value
    // back over its smoothing when the write began after it looked (see writeBackUserWavePoints).
    const int i = tag - (n == 0 ? tag::UserWave1First : tag::UserWave2First);
    userWaveWrittenPoints[n][i] = storableValue(tag, value);
    userWavePointBegun[n][i].fetch_add(1);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    ZEK2_TEST_HOOK(pointWriteBegun);
    const float v = storeParameter(tag, value);
    ZEK2_TEST_HOOK(pointWriteStored);
    // Counted once stored: a build that read the points before the value landed is followed
    // by another.
    userWavePointWrites[n].fetch_add(1);
    userWavePointEnded[n][i].fetch_add(1);
    return v;
}

bool APlugin::advanceUserWaveBuild() {
    if (userWaveBuildWave < 0) {
        for (int n = 0; n < 2 && userWaveBuildWave < 0; ++n)
            if (userWaveDirty[n] || userWavePointsWrittenSinceBuild(n)) {
                userWaveDirty[n] = 0;
                userWaveBuildWave = n;
                userWaveBuildStep = kAnalyse;
            }
        if (userWaveBuildWave < 0) return false;
    }
    // The editor may be rebuilding a wave now: this step waits for a later update.
    if (!lockUserWaves(false)) return true;
    const int n = userWaveBuildWave;
    if (userWaveBuildStep != kAnalyse && userWaveEdits.load() != userWaveBuildEdits)
        userWaveBuildStep = kAnalyse; // the work arrays were used meanwhile: start again
    const int step = userWaveBuildStep++;
    const bool played = oscType[0] == 4 + n || oscType[1] == 4 + n;
    if (step == kAnalyse) {
        userWaveBuildEdits = userWaveEdits.load();
        userWaveWritesBuilt[n].store(userWavePointWrites[n].load(std::memory_order_acquire),
                                     std::memory_order_relaxed);
        pointsToBaseTable(n);
        userWaveBuildPeak = transformBaseUserTable(n);
    } else if (step == kResynth) {
        partialsFromTransform(n, userWaveBuildPeak);
        if (userWaveBuildResynth[n]) resynthesiseUserWavePoints(n, userWaveResynthSince[n]);
        userWaveBuildResynth[n] = 0;
    } else if (step == kLfoWave) {
        createUserLFOWave(n);
        if (!played) userWaveBuildWave = -1;
    } else if (step == kSpectrum) {
        // Every band table takes a prefix of the same spectrum: its angles are worked out once.
        int most = 0;
        for (int t = 1; t < kBands; ++t)
            most = tables->oscPartialLimits[t] > most ? tables->oscPartialLimits[t] : most;
        most = most < kSize - 1 ? most : kSize - 1;
        for (int k = 0; k < most; ++k) {
            const float a = userWavePartials[n][k][0];
            const double angle = kTwoPi * (userWavePartials[n][k][1] - 0.5);
            userWaveSpectrum[0][k + 1] = static_cast<float>(a * std::cos(angle));
            userWaveSpectrum[1][k + 1] = static_cast<float>(a * std::sin(angle));
        }
    } else if (step < kHandOver) {
        const int t = step - kFirstBand + 1;
        int count = tables->oscPartialLimits[t];
        count = count < kSize - 1 ? (count > 0 ? count : 0) : kSize - 1;
        std::memset(fftInRe, 0, sizeof(fftInRe));
        std::memset(fftInIm, 0, sizeof(fftInIm));
        float largest = 0.0f;
        for (int k = 0; k < count; ++k) {
            fftInRe[k + 1] = userWaveSpectrum[0][k + 1];
            fftInIm[k + 1] = userWaveSpectrum[1][k + 1];
            const float a = userWavePartials[n][k][0];
            largest = a > largest ? a : largest;
        }
        if (largest < 1e-5f) largest = 0.0f;
        ifft(kSize);
        float peak = 0.0f;
        for (int i = 0; i < kSize; ++i) peak = std::fmax(peak, std::fabs(fftOutRe[i]));
        const float scale = peak > 1e-5f ? largest / peak : 0.0f;
        for (int i = 0; i < kSize; ++i) userWaveStaging[t][i] = fftOutRe[i] * scale;
    } else {
        float* first = userWaveTables[OSC_USER_TABLE_START[n] - OSC_BUILTIN_TABLES + 1];
        std::memcpy(first, userWaveStaging[1], sizeof(float) * kSize * (kBands - 1));
        userWaveBuildWave = -1;
    }
    unlockUserWaves();
    return true;
}
