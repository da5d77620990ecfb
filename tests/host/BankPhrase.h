// The factory bank as a host meets it: the preset names read from presets/bank.txt, a preset
// selected by name through the parameters and effSetProgram, and one short musical phrase played
// on it with the host's transport running. Shared by the bank's render check and the renderbank
// tool; everything runs on the caller's thread.
#pragma once

#include "tests/host/Loudness.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace bankphrase {

constexpr double kRate = 48000.0;
constexpr VstInt32 kBlock = 256;
constexpr double kTempo = 120.0;
constexpr int kNameFirstTag = 210; // the program name, one character per parameter
constexpr int kNameTags = 28;
constexpr double kPhraseSeconds = 2.0;     // notes, then half a second of their release
constexpr double kMaxTailSeconds = 8.0;    // after the phrase, until the tail has died away
constexpr double kTailWindowSeconds = 0.1; // the tail is judged window by window
constexpr double kTailDropDb = 60.0;       // "died away": this far below the phrase's loudest

// The preset names in bank order: every line that is neither blank, a comment nor a value.
inline std::vector<std::string> presetNames(const std::string& bankPath) {
    std::vector<std::string> names;
    std::ifstream in(bankPath);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (line.find('=') != std::string::npos) continue;
        const size_t last = line.find_last_not_of(" \t");
        names.push_back(line.substr(first, last - first + 1));
    }
    return names;
}

// What a host does to pick a preset by name: it writes the name, one character code per
// parameter as the name tags store it, and selects the one program again.
inline void selectPreset(testhost::Plugin& plugin, const std::string& name) {
    for (int i = 0; i < kNameTags; ++i) {
        const int code = i < int(name.size()) ? static_cast<unsigned char>(name[i]) : 0;
        plugin.setParameter(kNameFirstTag + i, code == 0 ? 0.0f : (code + 0.5f) / 255.99f);
    }
    plugin.dispatch(effSetProgram, 0, 0);
}

// One key event, in seconds from the start of the notes; the key kSustainPedal stands for the
// sustain pedal, pressed at `on` and let go at `off`.
struct Note {
    double on, off;
    int key, velocity;
};
constexpr int kSustainPedal = -1;
constexpr double kHeld = 1.0e9; // an `off` that never comes

// A bass note, a higher note, then a held three-note chord: short enough for the tests, and it
// gives an arpeggio something to play.
inline const std::vector<Note>& phrase() {
    static const std::vector<Note> notes = {{0.00, 0.35, 48, 100},
                                            {0.40, 0.70, 55, 90},
                                            {0.75, 1.50, 60, 100},
                                            {0.75, 1.50, 64, 90},
                                            {0.75, 1.50, 67, 95}};
    return notes;
}

// The chord check: keys spread in fifths over four octaves from key 36, wrapping
// (36 + 7k mod 48), struck together at velocity 100, held for 3 s and heard for a second of
// their release.
constexpr int kChordVelocity = 100;
constexpr double kChordHeldSeconds = 3.0, kChordSeconds = 4.0;

// The order the chord's keys arrive in, all in the same instant: each order starts the voices
// at other phases against each other, so each peaks differently.
enum class ChordOrder { ByK, Ascending, Descending };
constexpr ChordOrder kChordOrders[] = {ChordOrder::ByK, ChordOrder::Ascending,
                                       ChordOrder::Descending};

inline const char* orderName(ChordOrder order) {
    return order == ChordOrder::ByK ? "k order"
                                    : (order == ChordOrder::Ascending ? "ascending" : "descending");
}

inline std::vector<Note> chord(int count, ChordOrder order = ChordOrder::ByK) {
    std::vector<Note> notes;
    for (int k = 0; k < count; ++k)
        notes.push_back({0.0, kChordHeldSeconds, 36 + (7 * k) % 48, kChordVelocity});
    if (order != ChordOrder::ByK)
        std::sort(notes.begin(), notes.end(), [order](const Note& x, const Note& y) {
            return order == ChordOrder::Ascending ? x.key < y.key : x.key > y.key;
        });
    return notes;
}

struct Rendering {
    std::vector<float> left, right; // the notes and the whole tail
    size_t phraseFrames = 0;        // where the phrase's measured part ends
    double loudness = -200.0;       // LUFS over the phrase
    double peakDb = -200.0;         // dBFS over everything
    double tailSeconds = 0.0;       // from the phrase's end until the tail had died away
    bool tailDecayed = false;
    bool finite = true;
};

// Plays notes on the preset already selected, with the host's transport running.
class Player {
public:
    explicit Player(testhost::Plugin& plugin, std::vector<Note> notes = phrase())
        : plugin(plugin), notes(std::move(notes)) {}

    // The notes as a phrase: its loudness, then the tail until it dies away.
    Rendering play() {
        Rendering r;
        startTransport();
        const long phraseEnd = long(kPhraseSeconds * kRate);
        for (long at = 0; at < phraseEnd; at += kBlock) renderBlock(at, r);
        r.phraseFrames = r.left.size();
        r.loudness = loudness::integrated(r.left, r.right, kRate);

        const double loudest = loudestWindowDb(r);
        const long window = long(kTailWindowSeconds * kRate);
        const long tailEnd = phraseEnd + long(kMaxTailSeconds * kRate);
        for (long at = phraseEnd; at < tailEnd && !r.tailDecayed; at += window) {
            for (long k = 0; k < window; k += kBlock) renderBlock(at + k, r);
            const double db = windowDb(r, r.left.size() - size_t(window), r.left.size());
            r.tailDecayed = db < loudest - kTailDropDb || db < -90.0;
            r.tailSeconds = double(at + window - phraseEnd) / kRate;
        }
        measurePeak(r);
        return r;
    }

    // The notes for a fixed stretch (whole blocks): the audio, its peak and finiteness.
    Rendering playFor(double seconds) {
        Rendering r;
        startTransport();
        for (long at = 0; at < long(seconds * kRate); at += kBlock) renderBlock(at, r);
        r.phraseFrames = r.left.size();
        measurePeak(r);
        return r;
    }

    // Level (dB of the mean square of both channels) of frames [from, to).
    static double windowDb(const Rendering& r, size_t from, size_t to) {
        double sum = 0.0;
        for (size_t i = from; i < to; ++i)
            sum += double(r.left[i]) * r.left[i] + double(r.right[i]) * r.right[i];
        const double ms = sum / double(2 * std::max<size_t>(to - from, 1));
        return ms > 0.0 ? 10.0 * std::log10(ms) : -200.0;
    }

private:
    static void startTransport() {
        testhost::HostState& h = testhost::host();
        h.time.sampleRate = kRate;
        h.time.tempo = kTempo;
        h.time.ppqPos = 0.0;
        h.time.flags |= kVstTransportPlaying;
    }

    void renderBlock(long at, Rendering& r) {
        std::vector<std::array<int, 4>> midi;
        for (const Note& n : notes) {
            const long on = long(n.on * kRate) - at;
            const long off = n.off < kHeld ? long(n.off * kRate) - at : -1;
            const bool pedal = n.key == kSustainPedal;
            if (on >= 0 && on < kBlock)
                midi.push_back(pedal ? std::array<int, 4>{int(on), 0xB0, 64, 127}
                                     : std::array<int, 4>{int(on), 0x90, n.key, n.velocity});
            if (off >= 0 && off < kBlock)
                midi.push_back(pedal ? std::array<int, 4>{int(off), 0xB0, 64, 0}
                                     : std::array<int, 4>{int(off), 0x80, n.key, 0});
        }
        if (!midi.empty()) plugin.sendMidi(midi);
        plugin.process(kBlock, left, right);
        r.left.insert(r.left.end(), left.begin(), left.begin() + kBlock);
        r.right.insert(r.right.end(), right.begin(), right.begin() + kBlock);
        testhost::HostState& h = testhost::host();
        h.time.samplePos += kBlock;
        h.time.ppqPos += kBlock / kRate * kTempo / 60.0;
    }

    static void measurePeak(Rendering& r) {
        double peak = 0.0;
        for (size_t i = 0; i < r.left.size(); ++i) {
            peak = std::max({peak, std::fabs(double(r.left[i])), std::fabs(double(r.right[i]))});
            r.finite = r.finite && std::isfinite(r.left[i]) && std::isfinite(r.right[i]);
        }
        r.peakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -200.0;
    }

    static double loudestWindowDb(const Rendering& r) {
        const size_t window = size_t(kTailWindowSeconds * kRate);
        double best = -200.0;
        for (size_t at = 0; at + window <= r.phraseFrames; at += window / 2)
            best = std::max(best, windowDb(r, at, at + window));
        return best;
    }

    testhost::Plugin& plugin;
    std::vector<Note> notes;
    std::vector<float> left, right;
};

// A fresh plug-in at the phrase's rate with the named preset applied (the program is applied in
// the render's first block; the notes start a few blocks later).
class PresetSession {
public:
    explicit PresetSession(const std::string& name) : plugin(freshHostRate(), kBlock) {
        selectPreset(plugin, name);
        settle(4096 / kBlock + 1);
    }
    // Renders a few blocks without notes, so parameter writes have reached the engine.
    void settle(int blocks) {
        for (int i = 0; i < blocks; ++i) plugin.process(kBlock, left, right);
    }

    testhost::Plugin plugin;

private:
    // The host starts afresh at the phrase's rate before the plug-in opens.
    static float freshHostRate() {
        testhost::resetHost();
        testhost::host().time.sampleRate = kRate;
        return float(kRate);
    }
    std::vector<float> left, right;
};

inline Rendering renderPreset(const std::string& name, std::string* selectedName = nullptr) {
    PresetSession session(name);
    if (selectedName) *selectedName = session.plugin.text(effGetProgramName);
    return Player(session.plugin).play();
}

// `notes` for `seconds` on the named preset, after `setup` has written its parameters as a host
// does; no tail.
template <class Setup>
Rendering renderNotes(const std::string& name, std::vector<Note> notes, double seconds,
                      Setup setup) {
    PresetSession session(name);
    setup(session.plugin);
    session.settle(2);
    return Player(session.plugin, std::move(notes)).playFor(seconds);
}

inline Rendering renderNotes(const std::string& name, std::vector<Note> notes, double seconds) {
    return renderNotes(name, std::move(notes), seconds, [](testhost::Plugin&) {});
}

} // namespace bankphrase
