// Renders every factory preset's phrase through the built plug-in, as a host plays it, into a
// WAV file and a sonogram picture for listening and looking, prints each preset's loudness,
// peak and tail, and writes their figures for a later comparison. Runs on the build machine;
// usage:
//     renderbank [--chord N] <bank.txt> <output folder> [part of a preset name]
//     renderbank --compare <figures before> <figures after>
#include "tests/host/BankPhrase.h"
#include "tests/host/SoundFigures.h"
#include "tools/renderbank/Sonogram.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

void put16(std::ofstream& out, uint16_t v) {
    const char b[2] = {char(v & 0xff), char(v >> 8)};
    out.write(b, 2);
}
void put32(std::ofstream& out, uint32_t v) {
    const char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff),
                       char(v >> 24)};
    out.write(b, 4);
}

// 16-bit stereo PCM, the form every player reads.
bool writeWav(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right, uint32_t rate) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const uint32_t frames = uint32_t(std::min(left.size(), right.size()));
    const uint32_t data = frames * 4;
    out.write("RIFF", 4);
    put32(out, 36 + data);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // integer PCM
    put16(out, 2);
    put32(out, rate);
    put32(out, rate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, data);
    for (uint32_t i = 0; i < frames; ++i) {
        for (float v : {left[i], right[i]}) {
            const float c = std::max(-1.0f, std::min(1.0f, v));
            put16(out, uint16_t(int16_t(std::lrint(c * 32767.0f))));
        }
    }
    return bool(out);
}

// Why `path` cannot be read to its end, or nothing when it can: a missing file or a folder is
// told as such, not taken for a file that holds nothing.
std::string unreadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    char buffer[4096];
    while (std::fread(buffer, 1, sizeof(buffer), file) == sizeof(buffer)) {
    }
    const std::string why = std::ferror(file) ? std::strerror(errno) : "";
    std::fclose(file);
    return why;
}

// File names keep letters and digits; anything else becomes an underscore.
std::string fileStem(int index, const std::string& name) {
    char number[8];
    std::snprintf(number, sizeof(number), "%03d_", index);
    std::string stem = number;
    for (char c : name) stem += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return stem;
}

// The figures file: one preset a line, its name, a tab, then soundfigures::format. A line
// whose figures do not read is left out, so its preset counts as missing.
std::map<std::string, soundfigures::Figures> readFigures(const std::string& path) {
    std::map<std::string, soundfigures::Figures> all;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::istringstream fields(line.substr(tab + 1));
        fields.imbue(std::locale::classic());
        soundfigures::Figures f;
        size_t peaks = 0;
        if (!(fields >> f.loudness >> f.peakDb >> peaks)) continue;
        f.peakHz.resize(std::min<size_t>(peaks, 64));
        for (double& hz : f.peakHz) fields >> hz;
        double d = 0.0;
        while (fields >> d) f.bandDb.push_back(d);
        all[line.substr(0, tab)] = f;
    }
    return all;
}

// Compares two figures files preset by preset: loudness within 0.2 LU, peak within 0.5 dB,
// the strongest spectral peak within 1 cent and the log spectrum within 1 dB RMS, with as
// many peaks and bands on both sides. A preset that only one file holds is named too: a
// comparison never passes on figures it did not see.
int compareFigures(const std::string& beforePath, const std::string& afterPath) {
    for (const std::string& path : {beforePath, afterPath}) {
        const std::string why = unreadable(path);
        if (!why.empty()) {
            std::fprintf(stderr, "renderbank: cannot read %s: %s\n", path.c_str(), why.c_str());
            return 1;
        }
    }
    const auto before = readFigures(beforePath), after = readFigures(afterPath);
    if (before.empty() || after.empty()) {
        std::fprintf(stderr, "renderbank: no figures in %s\n",
                     (before.empty() ? beforePath : afterPath).c_str());
        return 1;
    }
    int outside = 0, missing = 0;
    std::printf("%-24s %8s %8s %8s %8s\n", "preset", "dLU", "dPeak", "cents", "dSpec");
    for (const auto& [name, b] : after)
        if (!before.count(name)) {
            std::printf("%-24s  MISSING from %s\n", name.c_str(), beforePath.c_str());
            ++missing;
        }
    for (const auto& [name, a] : before) {
        const auto found = after.find(name);
        if (found == after.end()) {
            std::printf("%-24s  MISSING from %s\n", name.c_str(), afterPath.c_str());
            ++missing;
            continue;
        }
        const soundfigures::Figures& b = found->second;
        double worstCents = 0.0;
        for (size_t i = 0; i < std::min(a.peakHz.size(), b.peakHz.size()); ++i)
            worstCents =
                std::max(worstCents, std::fabs(soundfigures::cents(b.peakHz[i], a.peakHz[i])));
        const double spectrum = soundfigures::logSpectrumDifference(a, b);
        const bool ok = a.peakHz.size() == b.peakHz.size() && a.bandDb.size() == b.bandDb.size() &&
                        std::fabs(b.loudness - a.loudness) <= 0.2 &&
                        std::fabs(b.peakDb - a.peakDb) <= 0.5 && worstCents <= 1.0 &&
                        spectrum <= 1.0;
        outside += !ok;
        std::printf("%-24s %8.3f %8.3f %8.3f %8.3f%s\n", name.c_str(), b.loudness - a.loudness,
                    b.peakDb - a.peakDb, worstCents, spectrum, ok ? "" : "  DIFFERS");
    }
    std::printf("%d presets outside the tolerances, %d missing from one file\n", outside, missing);
    return outside || missing ? 1 : 0;
}

// The plug-in reads its preferences (and keeps its data) in a temporary folder of the run's
// own, removed at the end: the user's own preferences never change the renders, and the
// output folder holds nothing but them.
class ScratchHome {
public:
    ScratchHome() {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string((tmp && tmp[0] == '/') ? tmp : "/tmp") + "/renderbankXXXXXX";
        if (!mkdtemp(folder.data())) {
            folder.clear();
            return;
        }
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    }
    ~ScratchHome() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;
    bool ok() const { return !folder.empty(); }

private:
    std::string folder;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--compare") return compareFigures(argv[2], argv[3]);
    // --chord N: the chord of the bank's chord check with N keys instead of the phrase.
    int chordKeys = 0;
    bool badChord = false;
    if (argc >= 3 && std::string(argv[1]) == "--chord") {
        chordKeys = std::atoi(argv[2]);
        badChord = chordKeys < 1 || chordKeys > 16;
        argc -= 2;
        argv += 2;
    }
    if (argc < 3 || argc > 4 || badChord) {
        std::fprintf(stderr, "usage: renderbank [--chord 1..16] <bank.txt> <output folder> "
                             "[name part]\n"
                             "       renderbank --compare <figures before> <figures after>\n");
        return 2;
    }
    const std::string bank = argv[1];
    const std::string folder = argv[2];
    const std::string filter = argc == 4 ? argv[3] : "";
    // Everything that can be found wrong before rendering is, so a run that cannot finish
    // neither prints figures nor leaves an output folder behind.
    const std::string why = unreadable(bank);
    if (!why.empty()) {
        std::fprintf(stderr, "renderbank: cannot read %s: %s\n", bank.c_str(), why.c_str());
        return 1;
    }
    const std::vector<std::string> names = bankphrase::presetNames(bank);
    if (names.empty()) {
        std::fprintf(stderr, "renderbank: no presets in %s\n", bank.c_str());
        return 1;
    }
    std::vector<size_t> chosen;
    for (size_t n = 0; n < names.size(); ++n)
        if (names[n].find(filter) != std::string::npos) chosen.push_back(n);
    if (chosen.empty()) {
        std::fprintf(stderr, "renderbank: no preset in %s has \"%s\" in its name\n", bank.c_str(),
                     filter.c_str());
        return 1;
    }
    const ScratchHome home;
    if (!home.ok()) {
        std::fprintf(stderr, "renderbank: cannot make a temporary folder for the preferences\n");
        return 1;
    }
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        std::fprintf(stderr, "renderbank: cannot make the output folder %s: %s\n", folder.c_str(),
                     made.message().c_str());
        return 1;
    }
    const std::string figuresPath = folder + "/figures.txt";
    std::FILE* figures = std::fopen(figuresPath.c_str(), "w");
    if (!figures) {
        std::fprintf(stderr, "renderbank: cannot write %s: %s\n", figuresPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    // The WAV file and the picture of one render; each one not written is named.
    auto writeFiles = [](const std::string& stem, const bankphrase::Rendering& r) {
        bool wrote = true;
        if (!writeWav(stem + ".wav", r.left, r.right, uint32_t(bankphrase::kRate))) {
            std::fprintf(stderr, "renderbank: cannot write %s.wav\n", stem.c_str());
            wrote = false;
        }
        if (!sonogram::writePng(stem + ".png", r.left, r.right, bankphrase::kRate)) {
            std::fprintf(stderr, "renderbank: cannot write %s.png\n", stem.c_str());
            wrote = false;
        }
        return wrote;
    };
    std::vector<double> levels;
    int failures = 0;
    if (chordKeys)
        std::printf("%-4s %-24s %8s %10s %10s %10s\n", "#", "preset", "LUFS", "peak k", "ascending",
                    "descending");
    else
        std::printf("%-4s %-24s %8s %8s %7s\n", "#", "preset", "LUFS", "peak dB", "tail s");
    int clamped[3] = {};
    for (size_t n : chosen) {
        if (chordKeys) {
            // The chord in each order the bank's check sends it; the files hold the k order.
            std::printf("%-4zu %-24s", n, names[n].c_str());
            for (int o = 0; o < 3; ++o) {
                const bankphrase::ChordOrder order = bankphrase::kChordOrders[o];
                const bankphrase::Rendering r = bankphrase::renderNotes(
                    names[n], bankphrase::chord(chordKeys, order), bankphrase::kChordSeconds);
                if (order == bankphrase::ChordOrder::ByK) {
                    const std::string stem = folder + "/" + fileStem(int(n), names[n]) + "_chord";
                    failures += !writeFiles(stem, r);
                    levels.push_back(loudness::integrated(r.left, r.right, bankphrase::kRate));
                    std::printf(" %8.2f", levels.back());
                    // The figures of the chord the files hold, over its whole length.
                    soundfigures::Figures f = soundfigures::measure(r);
                    f.loudness = levels.back();
                    std::fprintf(figures, "%s\t%s\n", names[n].c_str(),
                                 soundfigures::format(f).c_str());
                }
                // The clamp holds every sample within 0.999.
                const bool atClamp = r.peakDb > 20.0 * std::log10(0.9989);
                clamped[o] += atClamp;
                std::printf(" %9.2f%s", r.peakDb, atClamp ? "*" : " ");
            }
            std::printf("\n");
            std::fflush(stdout);
            continue;
        }
        std::string selected;
        const bankphrase::Rendering r = bankphrase::renderPreset(names[n], &selected);
        const std::string stem = folder + "/" + fileStem(int(n), names[n]);
        const bool wrote = writeFiles(stem, r);
        const bool ok = wrote && selected == names[n] && r.finite && r.tailDecayed;
        failures += !ok;
        levels.push_back(r.loudness);
        std::fprintf(figures, "%s\t%s\n", names[n].c_str(),
                     soundfigures::format(soundfigures::measure(r)).c_str());
        std::printf("%-4zu %-24s %8.2f %8.2f %7.1f%s%s\n", n, names[n].c_str(), r.loudness,
                    r.peakDb, r.tailSeconds, r.tailDecayed ? "" : " (tail rings on)",
                    selected == names[n] ? "" : " (not selected)");
        std::fflush(stdout);
    }
    const bool figuresFailed = std::ferror(figures) != 0;
    if (std::fclose(figures) != 0 || figuresFailed) {
        std::fprintf(stderr, "renderbank: cannot write %s\n", figuresPath.c_str());
        ++failures;
    }
    if (!levels.empty()) {
        std::vector<double> sorted = levels;
        std::sort(sorted.begin(), sorted.end());
        const size_t m = sorted.size();
        const double median = m % 2 ? sorted[m / 2] : 0.5 * (sorted[m / 2 - 1] + sorted[m / 2]);
        std::printf("median %.2f LUFS, quietest %.2f, loudest %.2f\n", median, sorted.front(),
                    sorted.back());
    }
    if (chordKeys)
        std::printf("at the clamp (*): %d in k order, %d ascending, %d descending\n", clamped[0],
                    clamped[1], clamped[2]);
    return failures ? 1 : 0;
}
