// A released note falls from where it stood: in the 100 ms after the note-off it is never
// louder, window by window, than the same note held on. Checked on every factory preset and on
// the envelopes one by one (amp, a voice and a global free envelope, free and tempo-synced
// times, a release by the sustain pedal), whatever shape their decay had bent them to.
#include "engine/params/ParamTags.h"
#include "tests/host/BankShards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

using bankphrase::kHeld;
using bankphrase::Note;

constexpr double kReleaseTimes[] = {1.0, 1.9}; // seconds after the note-on
constexpr double kWindowSeconds = 0.010, kWatchedSeconds = 0.100;
constexpr double kAllowedRiseDb = 0.5;
constexpr double kFloorDb = -80.0; // windows quieter than this count as equal
constexpr int kKey = 60, kVelocity = 100;

// Modulation sources and destinations by their matrix index.
constexpr int kSrcFreeEnv1 = 52, kSrcFreeEnv2 = 54;
constexpr int kDestMainVolume = 1, kDestVoiceVolume = 2;

// The most (dB) by which the released rendering is louder than the held one in the windows
// after the note-off at `offAt` seconds.
double loudestRise(const bankphrase::Rendering& held, const bankphrase::Rendering& released,
                   double offAt) {
    const size_t window = size_t(kWindowSeconds * bankphrase::kRate);
    const size_t from = size_t(offAt * bankphrase::kRate);
    double rise = -200.0;
    for (size_t at = from; at + window <= from + size_t(kWatchedSeconds * bankphrase::kRate);
         at += window) {
        const double h = bankphrase::Player::windowDb(held, at, at + window);
        const double r = bankphrase::Player::windowDb(released, at, at + window);
        rise = std::max(rise, std::max(r, kFloorDb) - std::max(h, kFloorDb));
    }
    return rise;
}

// The effect chain bypassed: its reverb and delay carry the note's past, and a quieter note can
// sum louder with that tail than a held one does (a bell's partials against their own echo:
// Glass Piano and Crystal FM Bell read about 1 dB up that way), and the master gater's pattern
// runs on its own. The voice, its path and its gater are all heard.
void voiceOnly(testhost::Plugin& p) {
    p.setParameter(tag::BypassFxOn, 1.0f);
}

// Plays `held` and `released(offAt)` on the preset, voice only, after `patch`, for each release
// time, and expects the release never to rise above the held note.
template <class Released>
void expectNoRiseAfterRelease(const std::string& preset, void (*patch)(testhost::Plugin&),
                              const std::vector<Note>& held, Released released) {
    const auto setup = [patch](testhost::Plugin& p) {
        voiceOnly(p);
        patch(p);
    };
    const double last = kReleaseTimes[std::size(kReleaseTimes) - 1] + kWatchedSeconds;
    const bankphrase::Rendering heldOn = bankphrase::renderNotes(preset, held, last, setup);
    ASSERT_GT(bankphrase::Player::windowDb(heldOn, 0, heldOn.left.size()), -100.0) << "silent";
    for (double offAt : kReleaseTimes) {
        SCOPED_TRACE("released at " + std::to_string(offAt) + " s");
        const bankphrase::Rendering r =
            bankphrase::renderNotes(preset, released(offAt), offAt + kWatchedSeconds, setup);
        EXPECT_TRUE(r.finite);
        EXPECT_LE(loudestRise(heldOn, r, offAt), kAllowedRiseDb);
    }
}

// One key held, or let go at `offAt`.
void expectNoteNeverRisesOnRelease(const std::string& preset, void (*patch)(testhost::Plugin&)) {
    expectNoRiseAfterRelease(preset, patch, {{0.0, kHeld, kKey, kVelocity}}, [](double offAt) {
        return std::vector<Note>{{0.0, offAt, kKey, kVelocity}};
    });
}

// The amp envelope falls over about 2.6 s to nothing and releases in about 400 ms: its decay
// bends the output well below the ramp it follows.
void decayingAmp(testhost::Plugin& p) {
    p.setParameter(tag::AmpEnvDecay, 0.81f);
    p.setParameter(tag::AmpEnvSustain, 0.0f);
    p.setParameter(tag::AmpEnvRelease, 0.59f);
}

void setSlot(testhost::Plugin& p, int slot, int source, int dest, float amount) {
    p.setParameter(tag::ModSourceFirst + slot, (source + 0.1f) / 127.99f);
    p.setParameter(tag::ModDestFirst + slot, (dest + 0.1f) / 399.99f);
    p.setParameter(tag::ModAmountFirst + slot, amount);
}

class BankRelease : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(BankRelease, ReleasedNotesNeverRiseAboveTheHeldNote) {
    bankshards::forEachPreset(GetParam(), [](int, const std::string& name) {
        expectNoteNeverRisesOnRelease(name, [](testhost::Plugin&) {});
    });
}

INSTANTIATE_TEST_SUITE_P(Shards, BankRelease, ::testing::Range(0, bankshards::kShards));

TEST(HostRelease, EveryEnvelopeReleasesFromWhereItStood) {
    const std::string init = bankshards::names().at(0); // every parameter at its default
    {
        SCOPED_TRACE("amp envelope");
        expectNoteNeverRisesOnRelease(init, decayingAmp);
    }
    {
        SCOPED_TRACE("amp envelope released by the sustain pedal");
        const int pedal = bankphrase::kSustainPedal;
        expectNoRiseAfterRelease(
            init, decayingAmp, {{0.0, 0.5, kKey, kVelocity}, {0.2, kHeld, pedal, 127}},
            [pedal](double offAt) {
                return std::vector<Note>{{0.0, 0.5, kKey, kVelocity}, {0.2, offAt, pedal, 127}};
            });
    }
    {
        // A voice's own free envelope on its volume, the amp envelope holding.
        SCOPED_TRACE("voice free envelope 2");
        expectNoteNeverRisesOnRelease(init, [](testhost::Plugin& p) {
            p.setParameter(tag::Free2EnvDecay, 0.81f);
            p.setParameter(tag::Free2EnvSustain, 0.0f);
            p.setParameter(tag::Free2EnvRelease, 0.59f);
            p.setParameter(tag::AmpEnvRelease, 0.8f);
            setSlot(p, 0, kSrcFreeEnv2, kDestVoiceVolume, 1.0f);
        });
    }
    {
        // The keyboard's free envelope on the Main Volume, on note values at 120 BPM: a whole
        // note of decay (2 s), an eighth of release.
        SCOPED_TRACE("global free envelope 1, tempo-synced");
        expectNoteNeverRisesOnRelease(init, [](testhost::Plugin& p) {
            p.setParameter(tag::Free1EnvSyncOn, 1.0f);
            p.setParameter(tag::Free1EnvDecay, 17.5f / 30.99f);
            p.setParameter(tag::Free1EnvSustain, 0.0f);
            p.setParameter(tag::Free1EnvRelease, 8.5f / 30.99f);
            p.setParameter(tag::AmpEnvRelease, 0.8f);
            p.setParameter(tag::MainVolume, 0.5f);
            setSlot(p, 0, kSrcFreeEnv1, kDestMainVolume, 0.625f); // +0.25: 17.5 dB at the top
        });
    }
}
