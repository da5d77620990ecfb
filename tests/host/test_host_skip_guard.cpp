// Work skipped for speed never changes a sample. Two fresh instances that differ only by a
// bypassed modulation slot (whose source then counts as read, so its row is always written and
// its oscillator always rendered) play the same samples through an edit that makes a reader
// appear between two slot-table rebuilds; and random patches under random edits at any sample,
// and each case that once strayed, play the same samples with every shortcut of the render
// taken as without any (ZEK2_NO_SKIPS=1 at construction). These play through the tests'
// counting build of the plug-in, which shows that they take every shortcut, and none with the
// switch; a quarter of the random sessions play ZEK2.so itself.
#include "BankPhrase.h"
#include "Soak.h"
#include "TestHost.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using testhost::Plugin;
using Settings = std::vector<std::pair<int, float>>;

constexpr int kRate = 48000, kBlock = 32;

float source(int s) {
    return (static_cast<float>(s) + 0.1f) / 127.99f;
}
float destination(int d) {
    return (static_cast<float>(d) + 0.1f) / 399.99f;
}

// Both channels of `frames` frames from key 60's strike: the settings land 0.2 s before it, the
// edit `at` frames after it (by default on a 32-frame block, not on a 128-sample one).
std::vector<float> strike(const Settings& settings, const Settings& edit, int at = 3232,
                          int frames = kRate) {
    Plugin p(static_cast<float>(kRate), kBlock);
    std::vector<float> l, r, out;
    for (auto [t, v] : settings) p.setParameter(t, v);
    for (int b = 0; b < kRate / 5 / kBlock; ++b) p.process(kBlock, l, r);
    p.sendMidi({{0, 0x90, 60, 100}});
    for (int b = 0; b < frames / kBlock; ++b) {
        if (b == at / kBlock)
            for (auto [t, v] : edit) p.setParameter(t, v);
        p.process(kBlock, l, r);
        for (int i = 0; i < kBlock; ++i) {
            out.push_back(l[size_t(i)]);
            out.push_back(r[size_t(i)]);
        }
    }
    return out;
}

// How many samples differ and by how much at most, as the failure message.
std::string differences(const std::vector<float>& a, const std::vector<float>& b) {
    int count = 0;
    float most = 0.0f, peak = 0.0f;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        peak = std::fmax(peak, std::fabs(b[i]));
        if (a[i] == b[i]) continue;
        ++count;
        most = std::fmax(most, std::fabs(a[i] - b[i]));
    }
    return std::to_string(count) + " of " + std::to_string(a.size()) + " samples differ, up to " +
           std::to_string(most) + " on a peak of " + std::to_string(peak);
}

void expectSameWithBypassedReader(const char* what, Settings settings, int readSource,
                                  const Settings& edit, int at = 3232, int frames = kRate) {
    const std::vector<float> plain = strike(settings, edit, at, frames);
    settings.insert(settings.end(),
                    {{tag::ModBypassFirst, 1.0f}, {tag::ModSourceFirst, source(readSource)}});
    const std::vector<float> read = strike(settings, edit, at, frames);
    ASSERT_EQ(plain.size(), read.size());
    EXPECT_TRUE(plain == read) << what << ": " << differences(plain, read);
}

// One random session: a factory preset, a few random settings, notes, then edits at random
// frames while they sound. Each step lands at its frame: the block is split there, as a host
// with sample-accurate automation splits it. A preset is loaded as a host picks one by name (the
// name's characters, then effSetProgram) or as it restores a chunk it saved from another
// instance: the sessions play in a host that saves chunks, the only hosts offered them.
struct Step {
    enum Kind { Parameter, Program, Midi, Chunk } kind = Parameter;
    int frame = 0;
    int index = 0; // tag, factory preset, or key
    float value = 0.0f;
    int status = 0;
};

struct Session {
    int block = 128;
    int frames = 0;
    std::vector<Step> steps;
    bool shipped = false; // played through ZEK2.so itself, not the counting build
};

const std::vector<std::string>& presetNames() {
    static const std::vector<std::string> names = bankphrase::presetNames(ZEK2_BANK_TEXT_PATH);
    return names;
}

constexpr size_t kChunkBytes = 8224;

// The chunk of factory preset `k` as another instance saves it; empty when the host was offered
// none.
const std::vector<char>& presetChunk(int k) {
    static std::vector<std::vector<char>> chunks(presetNames().size());
    std::vector<char>& chunk = chunks[size_t(k)];
    if (chunk.empty()) {
        Plugin other(static_cast<float>(kRate), 128);
        bankphrase::selectPreset(other, presetNames()[size_t(k)]);
        std::vector<float> l, r;
        other.process(128, l, r);
        void* data = nullptr;
        if (other.dispatch(effGetChunk, 0, 0, &data) == VstIntPtr(kChunkBytes) && data)
            chunk.assign(static_cast<const char*>(data),
                         static_cast<const char*>(data) + kChunkBytes);
    }
    return chunk;
}

// Restores the chunk of factory preset `k` as a host does: what went wrong, or "" when the host
// reads back the chunk's values at once (but for the request to apply them).
std::string loadChunk(Plugin& p, int k) {
    std::vector<char> chunk = presetChunk(k);
    const std::string what = "the chunk of \"" + presetNames()[size_t(k)] + "\"";
    if (chunk.size() != kChunkBytes) return what + " is empty: the host was offered no chunk";
    if (p.dispatch(effSetChunk, 0, VstIntPtr(kChunkBytes), chunk.data()) != 1)
        return what + " was refused";
    for (int t = 0; t < 2048; ++t) {
        float value = 0.0f;
        std::memcpy(&value, chunk.data() + sizeof(float) * size_t(t), sizeof value);
        if (t != tag::ApplyPreset && p.getParameter(t) != value)
            return what + " did not load: tag " + std::to_string(t) + " reads " +
                   std::to_string(p.getParameter(t)) + ", not " + std::to_string(value);
    }
    return "";
}

// Every tag a host can automate beyond the knobs 1..127, band by band: the selectors and
// switches, the matrix, the arpeggiator and both sequences, the XY pads and their paths, the
// tuning switch, the user-wave settings and internal tags, the user-wave points. Left out are
// only the preset-name and tuning-name characters (128..244, 924..963): no render reads them,
// and a preset step writes the name whole.
constexpr std::pair<int, int> kHostBands[] = {{246, 378},   {379, 490},  {492, 504}, {505, 640},
                                              {642, 777},   {778, 793},  {794, 921}, {923, 923},
                                              {1005, 1023}, {1024, 2047}};

// One edit at `frame`: a knob, a switch or menu, a slot's settings, the Main LFO's speed source,
// oscillator 1 heard or not, any other tag, a play or arpeggiator mode, a note, a preset picked
// by name or one loaded from a chunk.
void addEdit(soak::Rng& rng, int frame, std::vector<Step>& steps) {
    static const int kSwitches[] = {tag::Osc1On,
                                    tag::Osc2On,
                                    tag::Osc1OutputOn,
                                    tag::Osc1Type,
                                    tag::Osc2Type,
                                    tag::Osc2ModMode,
                                    tag::Osc2SyncOn,
                                    tag::UnisonMode,
                                    tag::FilterType,
                                    tag::HpOn,
                                    tag::PreEqOn,
                                    tag::PostEqOn,
                                    tag::WaveShaperOn,
                                    tag::VoiceDistortionOn,
                                    tag::LowFiOn,
                                    tag::MainLfoPlayMode,
                                    tag::MainLfoWave,
                                    tag::MainLfoSyncOn,
                                    tag::MainLfoSpeedModSource,
                                    tag::MainLfoSpeedModAmount,
                                    tag::FreeLfo12Mode,
                                    tag::Osc1FreeLfoOn,
                                    tag::Osc2FreeLfoOn};
    auto set = [&](int t, float v) { steps.push_back({Step::Parameter, frame, t, v, 0}); };
    const int slot = rng.below(16);
    switch (rng.below(17)) {
    case 0:
    case 1:
    case 2:
        set(rng.range(1, 127), static_cast<float>(rng.unit()));
        break;
    case 3:
    case 4:
        set(rng.pick(kSwitches), static_cast<float>(rng.unit()));
        break;
    case 5: // a slot added
        set(tag::ModBypassFirst + slot, 0.0f);
        set(tag::ModSourceFirst + slot, source(rng.below(106)));
        set(tag::ModDestFirst + slot, destination(rng.below(400)));
        set(tag::ModAmountFirst + slot, static_cast<float>(rng.unit()));
        break;
    case 6:
        set(tag::ModBypassFirst + slot, rng.chance(0.5) ? 1.0f : 0.0f);
        break;
    case 7:
        set(rng.chance(0.5) ? tag::ModSourceFirst + slot : tag::ModDestFirst + slot,
            static_cast<float>(rng.unit()));
        break;
    case 8:
        set(tag::ModFirst + rng.below(tag::ModTagCount), static_cast<float>(rng.unit()));
        break;
    case 9: // the Main LFO's speed takes up a source of its own (envelopes, LFOs, outputs)
        set(tag::MainLfoSpeedModSource,
            source(rng.chance(0.7) ? rng.range(40, 67) : rng.below(106)));
        set(tag::MainLfoSpeedModAmount, static_cast<float>(rng.unit()));
        break;
    case 10: // the Main LFO run per voice, and heard
        set(tag::MainLfoPlayMode, 0.0f);
        set(rng.pick({tag::MainLfoToVolume, tag::MainLfoToPan, tag::MainLfoToFilterFrequency}),
            static_cast<float>(rng.unit()));
        break;
    case 11: // oscillator 1 heard or not, a slot on one of its settings (its feedback above all),
             // often under unison, whose sub-voices an unheard oscillator 1 carries
        set(tag::Osc1OutputOn, rng.chance(0.5) ? 1.0f : 0.0f);
        if (rng.chance(0.5)) set(tag::UnisonMode, static_cast<float>(rng.unit()));
        set(tag::ModBypassFirst + slot, 0.0f);
        set(tag::ModSourceFirst + slot, source(rng.chance(0.5) ? src::Offset : rng.below(106)));
        set(tag::ModDestFirst + slot,
            destination(rng.chance(0.5) ? oscDest(0, oscdest::Feedback) : rng.range(16, 63)));
        set(tag::ModAmountFirst + slot, static_cast<float>(rng.unit()));
        break;
    case 13: // any other tag a host can automate
    case 14: {
        const auto [first, last] = rng.pick(kHostBands);
        set(rng.range(first, last), static_cast<float>(rng.unit()));
        break;
    }
    case 15: // the play mode, portamento and arpeggiator, which restructure the voices
        set(rng.pick(
                {tag::PlayMode, tag::PortamentoMode, tag::ArpOn, tag::ArpPlayMode, tag::ArpMode}),
            static_cast<float>(rng.unit()));
        break;
    case 16: // another sound from a chunk
        steps.push_back({Step::Chunk, frame, rng.below(int(presetNames().size())), 0.0f, 0});
        break;
    default:
        if (rng.chance(0.3))
            steps.push_back({Step::Program, frame, rng.below(int(presetNames().size())), 0.0f, 0});
        else
            steps.push_back({Step::Midi, frame, rng.range(36, 84), 0.0f, rng.pick({0x90, 0x80})});
        break;
    }
}

Session makeSession(uint64_t seed) {
    soak::Rng rng(seed);
    Session s;
    static const int kBlocks[] = {1, 37, 128};
    s.block = kBlocks[seed % 3];
    // One session in four plays the module a host installs, whose shortcuts the build may have
    // compiled otherwise (link-time optimisation); the counting build shows that they are taken.
    s.shipped = seed / 3 % 4 == 1;
    // The preset picked at once lands at sample 4,096; notes and edits follow.
    s.steps.push_back({Step::Program, 0, rng.below(int(presetNames().size())), 0.0f, 0});
    constexpr int kStart = 4200;
    for (int i = rng.range(2, 8); i > 0; --i) addEdit(rng, kStart, s.steps);
    for (int i = rng.range(1, 6); i > 0; --i)
        s.steps.push_back({Step::Midi, kStart + rng.below(800), rng.range(36, 84),
                           static_cast<float>(rng.range(1, 127)), 0x90});
    s.frames = kStart + kRate * 4 / 5;
    for (int i = rng.range(8, 24); i > 0; --i)
        addEdit(rng, rng.range(kStart + 800, s.frames - 1), s.steps);
    std::stable_sort(s.steps.begin(), s.steps.end(),
                     [](const Step& a, const Step& b) { return a.frame < b.frame; });
    return s;
}

// The tests' counting build of the plug-in: the same render, with a count of each shortcut its
// instances take (dsp/ShortcutCounts.h).
using Counts = std::array<uint64_t, shortcut::kKinds>;
struct CountingPlugin {
    testhost::EntryProc entry = testhost::loadEntryPoint(ZEK2_COUNTING_PLUGIN_PATH);
    uint64_t (*count)(int) = reinterpret_cast<uint64_t (*)(int)>(
        dlsym(dlopen(ZEK2_COUNTING_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD), "ZEK2ShortcutCount"));
};
const CountingPlugin& counting() {
    static const CountingPlugin plugin;
    return plugin;
}

// Each family of shortcuts from its first kind on (the kinds run in families).
const std::pair<int, const char*> kFamilies[] = {
    {shortcut::EnvRowsLeft, "source rows written only while read"},
    {shortcut::OscSettingsStand, "oscillator settings, increments and pitch powers left standing"},
    {shortcut::SmoothersSettled, "settled smoothers, envelope-speed and unison memos"},
    {shortcut::Osc1Carried, "the unheard oscillator 1"},
    {shortcut::FilterSettled, "the voice filter's settled controls, held pairs, tracking memo"},
    {shortcut::VoiceLfosResting, "resting voice LFOs, voice and global LFO memos"},
    {shortcut::SlotTermsFolded, "the matrix's standing terms, table and value memos, XY replay"},
    {shortcut::QuietSpan, "quiet spans and slept passes"}};

int familyOf(int kind) {
    int family = 0;
    for (int f = 0; f < int(std::size(kFamilies)); ++f)
        if (kind >= kFamilies[f].first) family = f;
    return family;
}

// The kinds counted, with their families, or "" for none.
std::string named(const Counts& counts) {
    std::string text;
    for (int k = 0; k < shortcut::kKinds; ++k)
        if (counts[size_t(k)] > 0)
            text += std::string(text.empty() ? "" : "; ") + kFamilies[familyOf(k)].second +
                    " (kind " + std::to_string(k) + ") " + std::to_string(counts[size_t(k)]) +
                    " times";
    return text;
}

// Plays the session through the counting build, or ZEK2.so; `taken` receives the shortcuts the
// counting build took, `fault` the first chunk that did not load.
std::vector<float> play(const Session& s, bool noSkips, Counts& taken, std::string& fault) {
    for (int k = 0; k < shortcut::kKinds; ++k) taken[size_t(k)] = counting().count(k);
    if (noSkips) setenv("ZEK2_NO_SKIPS", "1", 1);
    Plugin p(static_cast<float>(kRate), s.block, s.shipped ? nullptr : counting().entry);
    unsetenv("ZEK2_NO_SKIPS");
    std::vector<float> l, r, out;
    size_t next = 0;
    for (int frame = 0; frame < s.frames;) {
        for (; next < s.steps.size() && s.steps[next].frame <= frame; ++next) {
            const Step& e = s.steps[next];
            if (e.kind == Step::Parameter) p.setParameter(e.index, e.value);
            if (e.kind == Step::Program)
                bankphrase::selectPreset(p, presetNames()[size_t(e.index)]);
            if (e.kind == Step::Chunk) {
                const std::string loaded = loadChunk(p, e.index);
                if (fault.empty() && !loaded.empty())
                    fault = loaded + " at frame " + std::to_string(frame);
            }
            if (e.kind == Step::Midi)
                p.sendMidi({{0, e.status, e.index, e.status == 0x90 ? int(e.value) + 1 : 0}});
        }
        int frames = std::min(s.block, s.frames - frame);
        if (next < s.steps.size()) frames = std::min(frames, s.steps[next].frame - frame);
        p.process(frames, l, r);
        for (int i = 0; i < frames; ++i) {
            out.push_back(l[size_t(i)]);
            out.push_back(r[size_t(i)]);
        }
        frame += frames;
    }
    for (int k = 0; k < shortcut::kKinds; ++k)
        taken[size_t(k)] = counting().count(k) - taken[size_t(k)];
    return out;
}

// Plays a session with every shortcut and with none: what went wrong, or "".
std::string againstFullWork(const Session& s, Counts& taken) {
    Counts untaken;
    // The chunks are saved before either render, so that both play beside the same instances.
    for (const Step& e : s.steps)
        if (e.kind == Step::Chunk) presetChunk(e.index);
    std::string fault;
    const std::vector<float> shortcuts = play(s, false, taken, fault),
                             full = play(s, true, untaken, fault);
    if (!fault.empty()) return fault;
    if (!named(untaken).empty()) return "with ZEK2_NO_SKIPS=1 the render took " + named(untaken);
    if (shortcuts == full) return "";
    size_t first = 0;
    while (first < shortcuts.size() && shortcuts[first] == full[first]) ++first;
    return "block " + std::to_string(s.block) + ", first at frame " + std::to_string(first / 2) +
           ": " + differences(shortcuts, full);
}

// The same steps at each block length, with every shortcut and with none.
void expectFullWork(const char* what, shortcut::Kind kind, const std::vector<Step>& steps,
                    int frames, std::initializer_list<int> blocks) {
    for (int block : blocks) {
        Counts taken;
        EXPECT_EQ(againstFullWork({block, frames, steps}, taken), "") << what;
        EXPECT_GT(taken[size_t(kind)], 0u) << what << ", block " << block << ": not taken";
    }
}

} // namespace

TEST(HostSkipGuard, ABypassedSlotLeavesEverySampleAsItWas) {
    testhost::resetHost();
    // The per-voice Main LFO's speed starts to read Free Env 1 mid-note.
    expectSameWithBypassedReader("Main LFO speed by Free Env 1",
                                 {{tag::MainLfoToVolume, 1.0f},
                                  {tag::MainLfoSpeed, 0.5f}, // 1/1 QB
                                  {tag::MainLfoPlayMode, 0.0f},
                                  {tag::MainLfoSpeedModSource, source(src::FreeEnv1)},
                                  {tag::MainLfoSpeedModAmount, 0.5f}},
                                 src::FreeEnv1, {{tag::MainLfoSpeedModAmount, 1.0f}});
    // Oscillator 1, with its output off and fed back on itself, is heard again mid-note.
    expectSameWithBypassedReader(
        "Osc 1 output on under its own feedback",
        {{tag::Osc2On, 1.0f},
         {tag::Osc1OutputOn, 0.0f},
         {tag::ModBypassFirst + 1, 0.0f},
         {tag::ModSourceFirst + 1, source(src::Offset)},
         {tag::ModDestFirst + 1, destination(oscDest(0, oscdest::Feedback))},
         {tag::ModAmountFirst + 1, 1.0f}},
        src::Osc1Output, {{tag::Osc1OutputOn, 1.0f}});
    expectSameWithBypassedReader("Main LFO speed by the Filter Envelope",
                                 {{tag::MainLfoToVolume, 1.0f},
                                  {tag::MainLfoSpeed, 0.5f},
                                  {tag::MainLfoPlayMode, 0.0f},
                                  {tag::MainLfoSpeedModSource, source(src::FilterEnv)},
                                  {tag::MainLfoSpeedModAmount, 0.5f}},
                                 src::FilterEnv, {{tag::MainLfoSpeedModAmount, 1.0f}}, 2464, 28800);
}

// Random patches under random edits at any sample, at blocks of 1, 37 and 128 frames, sound the
// same to the bit with every shortcut of the render as with none: seeds 1 to 600 in shards of
// 75, so ctest spreads them over its jobs and none comes near its time limit on a busy
// machine, then those that once found a fault beyond them (1888, in the sessions' earlier form:
// a slot on an envelope source set just before a note, whose first evaluation read the rows;
// now a named scenario). Each shard's sessions take every kind of shortcut. The sanitizer builds
// (without NDEBUG) play a short form: the first shard's first 30 seeds and 1888.
class HostSkipGuardSessions : public ::testing::TestWithParam<int> {};

TEST_P(HostSkipGuardSessions, EveryShortcutLeavesRandomEditedPatchesAsTheFullWorkPlaysThem) {
    testhost::actAsChunkHost();
    constexpr int kShardSeeds = 75;
    const int shard = GetParam();
#ifdef NDEBUG
    constexpr int kSeeds = kShardSeeds;
#else
    constexpr int kSeeds = 30;
    if (shard > 0) GTEST_SKIP() << "the sanitizer builds play the first shard's short form";
#endif
    std::vector<uint64_t> seeds;
    for (int n = 1; n <= kSeeds; ++n) seeds.push_back(uint64_t(shard * kShardSeeds + n));
    if (shard == 0) seeds.push_back(1888);
    int failures = 0;
    Counts all{};
    for (uint64_t seed : seeds) {
        Counts taken;
        const std::string failure = againstFullWork(makeSession(seed), taken);
        for (int k = 0; k < shortcut::kKinds; ++k) all[size_t(k)] += taken[size_t(k)];
        if (failure.empty()) continue;
        ADD_FAILURE() << "seed " << seed << ": " << failure;
        if (++failures == 5) return;
    }
    // Every kind of shortcut was taken, but for the slept passes, which follow 16 s of silence
    // (a scenario of their own).
    for (int k = 0; k < shortcut::kKinds; ++k)
        EXPECT_TRUE(all[size_t(k)] > 0 || k == shortcut::SleptPass)
            << kFamilies[familyOf(k)].second << " (kind " << k << ") never taken";
}

INSTANTIATE_TEST_SUITE_P(Shards, HostSkipGuardSessions, ::testing::Range(0, 8));

// Each shortcut that once changed the sound, in a session of its own.
TEST(HostSkipGuard, EachShortcutThatOnceStrayedPlaysAsTheFullWork) {
    testhost::resetHost();
    auto set = [](int frame, int t, float v) { return Step{Step::Parameter, frame, t, v, 0}; };
    auto key = [](int frame, int k, int status) {
        return Step{Step::Midi, frame, k, 99.0f, status};
    };
    // Oscillator 1 unheard under unison until a slot starts to read its output: the slot reads
    // the pass before, so each voice's first sub-voice is rendered, not only carried.
    expectFullWork("Osc 1 Output read mid-note with unison", shortcut::Osc1Carried,
                   {set(0, tag::Osc2On, 1.0f), set(0, tag::Osc1OutputOn, 0.0f),
                    set(0, tag::UnisonMode, 0.11f), key(100, 60, 0x90),
                    set(3332, tag::ModBypassFirst + 1, 0.0f),
                    set(3332, tag::ModSourceFirst + 1, source(src::Osc1Output)),
                    set(3332, tag::ModDestFirst + 1, destination(oscDest(1, oscdest::Fine))),
                    set(3332, tag::ModAmountFirst + 1, 1.0f)},
                   kRate, {32});
    // A slot on an envelope source set just before a note on a voice that sounded before: the
    // note's first evaluation reads the restarted envelopes, not the row its last note left.
    expectFullWork("Free Env 1 to Amp Env Speed set before a note", shortcut::EnvRowsLeft,
                   {key(100, 60, 0x90), key(5000, 60, 0x80), set(20000, tag::ModBypassFirst, 0.0f),
                    set(20000, tag::ModSourceFirst, source(src::FreeEnv1)),
                    set(20000, tag::ModDestFirst, destination(dest::AmpEnvSpeed)),
                    set(20000, tag::ModAmountFirst, 1.0f), key(20007, 60, 0x90)},
                   kRate, {37});
    // The per-voice Main LFO's speed starts to read the Filter Envelope between two control
    // steps: the row it reads at the step holds what the pass before wrote.
    expectFullWork("Main LFO speed by the Filter Envelope, then Poly", shortcut::EnvRowsLeft,
                   {key(4756, 73, 0x90), set(6294, tag::MainLfoSpeed, 0.677f),
                    set(13139, tag::MainLfoSpeedModSource, source(src::FilterEnv)),
                    set(31586, tag::MainLfoPlayMode, 0.0f),
                    set(31586, tag::MainLfoToVolume, 0.848f)},
                   4200 + kRate * 4 / 5, {1, 32, 37, 128});
    // Play Mode changed while a note sounds: the voice is let go and its oscillators start over
    // from rest, so the increments of its last pass no longer stand.
    expectFullWork("Play Mode changed mid-note", shortcut::OscIncrementsStand,
                   {{Step::Midi, 5908, 51, 42.0f, 0x90}, set(9364, tag::PlayMode, 0.5f)}, 24000,
                   {32});
    // The effect chain asleep after 16 s of silence, woken by a note.
    expectFullWork("a note after the effect chain slept", shortcut::SleptPass,
                   {key(kRate * 33 / 2, 60, 0x90)}, kRate * 17, {128});
}

// Fresh seeds for tools/soak.sh, from ZEK2_SOAK_FIRST_SEED on until ZEK2_SOAK_SECONDS have
// passed, with the soak's log lines.
TEST(HostSkipGuard, FreshSeedsForAWhile) {
    const char* seconds = std::getenv("ZEK2_SOAK_SECONDS");
    const double limit = seconds ? std::strtod(seconds, nullptr) : 0.0;
    if (!(limit > 0.0)) GTEST_SKIP() << "set ZEK2_SOAK_SECONDS to soak for that long";
    testhost::actAsChunkHost();
    const char* first = std::getenv("ZEK2_SOAK_FIRST_SEED");
    uint64_t seed = first ? std::strtoull(first, nullptr, 10) : 1000000;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    long long seeds = 0, blocks = 0, failed = 0;
    double audio = 0.0;
    for (; elapsed() < limit; ++seed, ++seeds) {
        std::cout << "soak seed " << seed << std::endl;
        const Session s = makeSession(seed);
        blocks += 2 * (s.frames + s.block - 1) / s.block;
        audio += 2.0 * s.frames / kRate;
        Counts taken;
        const std::string failure = againstFullWork(s, taken);
        if (failure.empty()) continue;
        ++failed;
        ADD_FAILURE() << "skip guard seed " << seed << " failed at " << failure
                      << "\n  replay: ZEK2_SOAK_SECONDS=1 ZEK2_SOAK_FIRST_SEED=" << seed
                      << " zek2_host_tests --gtest_filter=HostSkipGuard.FreshSeedsForAWhile";
    }
    std::cout << "soak summary: " << seeds << " seeds, " << blocks << " blocks, " << audio / 3600.0
              << " hours of audio, 0 host queries, " << failed << " failed, " << elapsed() << " s"
              << std::endl;
}
