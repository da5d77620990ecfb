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

// One key event of the phrase, in seconds from its start.
struct Note {
    double on, off;
    int key, velocity;
};

// A bass note, a higher note, then a held three-note chord: short enough for the tests, and it
// gives an arpeggio something to play.
inline const std::array<Note, 5>& phrase() {
    static const std::array<Note, 5> notes = {{{0.00, 0.35, 48, 100},
                                               {0.40, 0.70, 55, 90},
                                               {0.75, 1.50, 60, 100},
                                               {0.75, 1.50, 64, 90},
                                               {0.75, 1.50, 67, 95}}};
    return notes;
}

struct Rendering {
    std::vector<float> left, right; // the phrase and its whole tail
    size_t phraseFrames = 0;        // where the phrase's measured part ends
    double loudness = -200.0;       // LUFS over the phrase
    double peakDb = -200.0;         // dBFS over everything
    double tailSeconds = 0.0;       // from the phrase's end until the tail had died away
    bool tailDecayed = false;
    bool finite = true;
};

// Renders the phrase on the preset already selected, then the tail until it dies away.
class Player {
public:
    explicit Player(testhost::Plugin& plugin) : plugin(plugin) {}

    Rendering play() {
        testhost::HostState& h = testhost::host();
        h.time.sampleRate = kRate;
        h.time.tempo = kTempo;
        h.time.ppqPos = 0.0;
        h.time.flags |= kVstTransportPlaying;
        Rendering r;
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
        double peak = 0.0;
        for (size_t i = 0; i < r.left.size(); ++i) {
            peak = std::max({peak, std::fabs(double(r.left[i])), std::fabs(double(r.right[i]))});
            r.finite = r.finite && std::isfinite(r.left[i]) && std::isfinite(r.right[i]);
        }
        r.peakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -200.0;
        return r;
    }

private:
    void renderBlock(long at, Rendering& r) {
        std::vector<std::array<int, 4>> midi;
        for (const Note& n : phrase()) {
            const long on = long(n.on * kRate) - at, off = long(n.off * kRate) - at;
            if (on >= 0 && on < kBlock) midi.push_back({int(on), 0x90, n.key, n.velocity});
            if (off >= 0 && off < kBlock) midi.push_back({int(off), 0x80, n.key, 0});
        }
        if (!midi.empty()) plugin.sendMidi(midi);
        plugin.process(kBlock, left, right);
        r.left.insert(r.left.end(), left.begin(), left.begin() + kBlock);
        r.right.insert(r.right.end(), right.begin(), right.begin() + kBlock);
        testhost::HostState& h = testhost::host();
        h.time.samplePos += kBlock;
        h.time.ppqPos += kBlock / kRate * kTempo / 60.0;
    }

    static double windowDb(const Rendering& r, size_t from, size_t to) {
        double sum = 0.0;
        for (size_t i = from; i < to; ++i)
            sum += double(r.left[i]) * r.left[i] + double(r.right[i]) * r.right[i];
        const double ms = sum / double(2 * std::max<size_t>(to - from, 1));
        return ms > 0.0 ? 10.0 * std::log10(ms) : -200.0;
    }

    static double loudestWindowDb(const Rendering& r) {
        const size_t window = size_t(kTailWindowSeconds * kRate);
        double best = -200.0;
        for (size_t at = 0; at + window <= r.phraseFrames; at += window / 2)
            best = std::max(best, windowDb(r, at, at + window));
        return best;
    }

    testhost::Plugin& plugin;
    std::vector<float> left, right;
};

// A fresh plug-in at the phrase's rate with the named preset applied (the program is applied at
// the render loop's next boundary, so a few blocks pass before the phrase starts).
inline Rendering renderPreset(const std::string& name, std::string* selectedName = nullptr) {
    testhost::resetHost();
    testhost::host().time.sampleRate = kRate;
    testhost::Plugin plugin(float(kRate), kBlock);
    selectPreset(plugin, name);
    std::vector<float> left, right;
    for (int i = 0; i < 4096 / kBlock + 1; ++i) plugin.process(kBlock, left, right);
    if (selectedName) *selectedName = plugin.text(effGetProgramName);
    return Player(plugin).play();
}

} // namespace bankphrase
