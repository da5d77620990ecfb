// What a musician hears through the real plug-in: a pad replaying its path per voice in "Poly"
// moves each sounding voice's morph from the note on, a song start restarts the alternation
// sources, a pan move glides instead of stepping, the first note after loading comes in at
// full level, and a note reached by bend, pitch envelope or LFO picks the band-limited table
// of the pitch it sounds at.
#include "engine/params/ParamTags.h"
#include "tests/PlainOscillator.h"
#include "tests/host/AudioAnalysis.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using testhost::Plugin;

namespace {

constexpr auto& step = testpatch::stepValue;

// Renders until the start-up program has landed, so it cannot overwrite what a test sets.
void settle(Plugin& p) {
    std::vector<float> l, r;
    for (int i = 0; i < 3; ++i) p.process(4096, l, r);
}

// Renders `frames` frames of both channels (whole blocks of 256).
void render(Plugin& p, int frames, std::vector<float>& left, std::vector<float>& right) {
    left.clear();
    right.clear();
    std::vector<float> l, r;
    for (int done = 0; done < frames; done += 256) {
        p.process(256, l, r);
        left.insert(left.end(), l.begin(), l.begin() + 256);
        right.insert(right.end(), r.begin(), r.begin() + 256);
    }
}

std::vector<float> slice(const std::vector<float>& x, double from, double to, double rate) {
    return {x.begin() + static_cast<long>(from * rate), x.begin() + static_cast<long>(to * rate)};
}

// Share of partials 2..8 in the energy of partials 1..8 (0 for a sine): how far the morph
// bends the wave.
double brightness(const std::vector<float>& x, double f0, double rate) {
    double upper = 0.0;
    for (int h = 2; h <= 8; ++h) upper += std::pow(audio::magnitudeAt(x, h * f0, rate), 2.0);
    const double first = std::pow(audio::magnitudeAt(x, f0, rate), 2.0);
    return upper / (upper + first + 1e-30);
}

} // namespace

TEST(HostXYReplay, PolyReplayMovesEachVoicesMorphFromItsNoteOn) {
    testhost::resetHost();
    const float rate = 48000.0f;
    Plugin p(rate, 256);
    settle(p);
    testpatch::setPlainVoice(p, 0);
    p.setParameter(tag::Osc1ZekAmount, 1.0f);
    // A one-second gesture from the left edge to the right, replayed per voice, held at its end.
    p.setParameter(tag::Xy1RecordMode, step(2, 2.99f));
    p.setParameter(tag::Xy1PlayMode, step(0, 2.99f));
    p.setParameter(tag::Xy1LoopMode, step(0, 2.99f));
    p.setParameter(tag::Xy1Sync, 0.0f);
    p.setParameter(tag::Xy1Speed, 0.5f);
    p.setParameter(tag::Xy1LenSec, 0.001f);
    p.setParameter(tag::Xy1LenMs, 0.0f);
    for (int k = 0; k < 32; ++k) {
        p.setParameter(tag::Xy1PathXFirst + k, k / 31.0f);
        p.setParameter(tag::Xy1PathYFirst + k, 0.5f);
    }
    const double f0 = 220.0; // key 57
    std::vector<float> l, r;
    render(p, 512, l, r);

    p.sendMidi({{0, 0x90, 57, 100}});
    render(p, static_cast<int>(1.5 * rate), l, r);
    const double start = brightness(slice(l, 0.02, 0.1, rate), f0, rate);
    const double end = brightness(slice(l, 1.2, 1.5, rate), f0, rate);
    EXPECT_GT(std::fabs(end - start), 0.1) << "the morph did not follow the gesture: " << start
                                           << " at the start, " << end << " at the end";

    // The global replay has long reached the end; a new note starts its own path again.
    p.sendMidi({{0, 0x80, 57, 0}});
    render(p, static_cast<int>(0.5 * rate), l, r);
    p.sendMidi({{0, 0x90, 57, 100}});
    render(p, static_cast<int>(0.2 * rate), l, r);
    const double again = brightness(slice(l, 0.02, 0.1, rate), f0, rate);
    EXPECT_NEAR(again, start, 0.1 * std::fabs(end - start))
        << "the second note did not replay the gesture from its beginning";
}

TEST(HostAlternation, ATransportStartCountsTheAlternationFromTheFirstNoteAgain) {
    testhost::resetHost();
    const float rate = 48000.0f;
    Plugin p(rate, 256);
    settle(p);
    testpatch::setPlainVoice(p, 0);
    // Slot 1: "2 UniPolar Alternate" (0, 1, 0, ..) opens "Voice Volume": every other note is
    // silent.
    p.setParameter(tag::ModSourceFirst, (12 + 0.1f) / 127.99f);
    p.setParameter(tag::ModDestFirst, (2 + 0.1f) / 399.99f);
    p.setParameter(tag::ModLowerFirst, 0.0f);
    p.setParameter(tag::ModUpperFirst, 1.0f);
    p.setParameter(tag::ModOffsetFirst, 0.5f);
    p.setParameter(tag::ModAmountFirst, 1.0f);
    p.setParameter(tag::ModBypassFirst, 0.0f);
    for (int slot = 1; slot < tag::ModSlotCount; ++slot)
        p.setParameter(tag::ModDestFirst + slot, 0.0f);
    std::vector<float> l, r;
    render(p, 512, l, r);
    auto note = [&] {
        p.sendMidi({{0, 0x90, 60, 100}});
        render(p, 4800, l, r);
        const double level = audio::rms(l, 1200);
        p.sendMidi({{0, 0x80, 60, 0}});
        render(p, 9600, l, r);
        return level;
    };
    const double first = note(), second = note();
    ASSERT_GT(second, 0.05) << "the second note of the count sounds";
    EXPECT_LT(first, 0.1 * second) << "the first note of the count is silent";
    note(); // the count stands at the second note's place when the song starts
    testhost::host().time.flags |= kVstTransportPlaying;
    render(p, 512, l, r);
    const double afterStart = note(), next = note();
    EXPECT_LT(afterStart, 0.1 * next) << "the song's first note takes the count's first value";
}

TEST(HostPanSmoothing, AMainPanMoveGlidesInsteadOfStepping) {
    testhost::resetHost();
    const float rate = 48000.0f;
    Plugin p(rate, 256);
    settle(p);
    testpatch::setPlainVoice(p, 0);
    std::vector<float> l, r;
    render(p, 512, l, r);
    p.sendMidi({{0, 0x90, 69, 100}});
    render(p, 9600, l, r);
    const double before = audio::rms(l, 4800);
    ASSERT_GT(before, 0.05);
    p.setParameter(tag::MainPan, 1.0f); // hard right: the left side closes
    render(p, 19200, l, r);
    // A step would close the left side within one control period (16 samples); the glide
    // takes some tens of milliseconds.
    const double justAfter = audio::rms(l, 0, 96);
    const double soon = audio::rms(l, 96, 288);
    const double late = audio::rms(l, 14400);
    EXPECT_GT(justAfter, 0.75 * before) << "the left side fell at once";
    EXPECT_LT(soon, 0.98 * before) << "the glide has started";
    EXPECT_GT(soon, 0.3 * before) << "the glide is not a step";
    EXPECT_LT(late, 0.05 * before) << "the pan arrives";
    EXPECT_GT(audio::rms(r, 14400), 0.9 * before) << "the right side stays open";
}

TEST(HostFirstNote, TheFirstNoteAfterLoadingSoundsAsLoudAsALaterOne) {
    testhost::resetHost();
    testhost::host().product = "REAPER"; // a host that stores the sound as a chunk
    testhost::host().vendor = "Cockos";
    const float rate = 48000.0f;
    std::vector<float> l, r;
    std::vector<char> sound;
    {
        Plugin original(rate, 256);
        settle(original);
        testpatch::setPlainVoice(original, 0);
        render(original, 512, l, r);
        void* data = nullptr;
        const VstIntPtr bytes = original.dispatch(effGetChunk, 0, 0, &data);
        ASSERT_GT(bytes, 0);
        sound.assign(static_cast<char*>(data), static_cast<char*>(data) + bytes);
    }
    // The sound loaded into a new instance; its first note follows 0.1 s after the start.
    Plugin p(rate, 256);
    ASSERT_EQ(p.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(sound.size()), sound.data()), 1);
    render(p, 4864, l, r);
    auto noteLevel = [&] {
        p.sendMidi({{0, 0x90, 69, 100}});
        render(p, 9600, l, r);
        const double level = audio::rms(l, 0, 1200); // its first 25 ms
        p.sendMidi({{0, 0x80, 69, 0}});
        return level;
    };
    const double first = noteLevel();
    render(p, 48000, l, r);
    const double later = noteLevel();
    ASSERT_GT(later, 0.05);
    EXPECT_NEAR(20.0 * std::log10(first / later), 0.0, 0.1);
}

namespace {

// Energy below `maxHz` that is not a harmonic of f0, against the fundamental, in dB: what the
// band-limited table lets fold back. A Hann-windowed DFT over the low bins only.
double aliasDbc(const std::vector<float>& x, double f0, double rate, double maxHz) {
    const size_t n = x.size();
    const double binHz = rate / static_cast<double>(n);
    const int bins = static_cast<int>(maxHz / binHz);
    std::vector<double> w(n);
    for (size_t i = 0; i < n; ++i)
        w[i] = x[i] * (0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / (n - 1.0)));
    double alias = 0.0, fundamental = 0.0;
    for (int k = 1; k <= bins; ++k) {
        double re = 0.0, im = 0.0;
        const double step = 2.0 * M_PI * k / static_cast<double>(n);
        // A rotating phasor keeps the inner loop to multiplications.
        double c = 1.0, s = 0.0;
        const double cs = std::cos(step), sn = std::sin(step);
        for (size_t i = 0; i < n; ++i) {
            re += w[i] * c;
            im -= w[i] * s;
            const double c2 = c * cs - s * sn;
            s = s * cs + c * sn;
            c = c2;
        }
        const double power = re * re + im * im;
        const double f = k * binHz;
        const double h = std::round(f / f0);
        const bool harmonic = h >= 1.0 && std::fabs(f - h * f0) <= 4.0 * binHz;
        if (std::fabs(f - f0) <= 4.0 * binHz)
            fundamental += power;
        else if (!harmonic)
            alias += power;
    }
    return 10.0 * std::log10((alias + 1e-30) / (fundamental + 1e-30));
}

} // namespace

// The aliasing of a played saw below 5 kHz at 44.1 kHz (the voices run at 88.2 kHz, the brick
// filter off): a note reached by bend, pitch envelope or LFO is measured against the key
// nearest the pitch it sounds at.
class HostBendTables : public ::testing::Test {
protected:
    static constexpr float kRate = 44100.0f;
    struct Heard {
        double hz, dbc;
    };
    // `setUp` shapes the patch; the window starts `from` seconds after the key.
    template <class SetUp> Heard play(int key, SetUp setUp, double from = 0.2) {
        testhost::resetHost();
        Plugin p(kRate, 256);
        settle(p);
        testpatch::setPlainVoice(p, 1); // saw
        for (int s = 0; s < tag::ModSlotCount; ++s) p.setParameter(tag::ModDestFirst + s, 0.0f);
        setUp(p);
        std::vector<float> l, r;
        render(p, 512, l, r);
        p.sendMidi({{0, 0x90, key, 100}});
        const int start = static_cast<int>(from * kRate) / 256 * 256;
        render(p, start + 8192, l, r);
        const std::vector<float> window(l.begin() + start, l.begin() + start + 8192);
        const double hz = audio::dominantFrequency(window, kRate, 1000.0, 4000.0);
        return {hz, aliasDbc(window, hz, kRate, 5000.0)};
    }
    // The aliasing of the key nearest `hz`, played plainly.
    double keyDbc(double hz) {
        const int key = static_cast<int>(std::lround(69.0 + 12.0 * std::log2(hz / 440.0)));
        return play(key, [](Plugin&) {}).dbc;
    }
};

TEST_F(HostBendTables, AReachedPitchAliasesNoMoreThanTheSamePitchPlayed) {
    const Heard bent = play(96, [](Plugin& p) {
        p.setParameter(tag::PitchBendUp, 2.5f / 15.99f); // two semitones
        p.sendMidi({{0, 0xE0, 127, 127}});
    });
    EXPECT_NEAR(bent.hz, 440.0 * std::pow(2.0, 29.0 / 12.0), 2.0) << "bent up to key 98";
    EXPECT_LE(bent.dbc, keyDbc(bent.hz) + 1.0) << "bend";

    // The oscillator's pitch envelope held two semitones up.
    const Heard enveloped = play(96, [](Plugin& p) {
        p.setParameter(tag::Osc1PitchEnvAmount, 1.0f);
        p.setParameter(tag::Osc1PitchEnvAttack, 0.0f);
        p.setParameter(tag::Osc1PitchEnvDecay, 0.0f);
        p.setParameter(tag::Osc1PitchEnvSustain, 2.0f / 12.0f);
    });
    EXPECT_GT(enveloped.hz, 440.0 * std::pow(2.0, 27.5 / 12.0)) << "the envelope raises the pitch";
    EXPECT_LE(enveloped.dbc, keyDbc(enveloped.hz) + 1.0) << "pitch envelope";

    // A square Main LFO at 0.5 Hz moving "Global Pitch" by two semitones, heard in its upper
    // half.
    const Heard lfo = play(
        96,
        [](Plugin& p) {
            p.setParameter(tag::MainLfoWave, (4 + 0.1f) / 7.99f);
            p.setParameter(tag::MainLfoPlayMode, 0.0f);
            p.setParameter(tag::MainLfoPhase, 0.0f);
            p.setParameter(tag::MainLfoSyncOn, 0.0f);
            p.setParameter(tag::MainLfoSpeed,
                           static_cast<float>(1.0 + std::log2(0.5 / 110.0) / 14.0));
            const float amount = 2.0f / 36.0f;
            p.setParameter(tag::ModSourceFirst, (60 + 0.1f) / 127.99f);
            p.setParameter(tag::ModDestFirst, (8 + 0.1f) / 399.99f);
            p.setParameter(tag::ModLowerFirst, 0.0f);
            p.setParameter(tag::ModUpperFirst, 1.0f);
            p.setParameter(tag::ModOffsetFirst, 0.5f - 0.5f * amount);
            p.setParameter(tag::ModAmountFirst, 0.5f + 0.5f * amount);
            p.setParameter(tag::ModBypassFirst, 0.0f);
        },
        1.3);
    EXPECT_GT(lfo.hz, 440.0 * std::pow(2.0, 27.5 / 12.0)) << "the LFO raises the pitch";
    EXPECT_LE(lfo.dbc, keyDbc(lfo.hz) + 1.0) << "LFO";
}
