// Damaged and hostile files: every generated fixture is cut short, overwritten with random
// bytes, given huge or overlapping chunk sizes, for a fixed number of cases. No file may
// crash, hang or trip the sanitizers, and a refused file leaves the sound as it was.
#include "FilesRig.h"
#include "TestFolders.h"
#include "engine/files/FileFormats.h"
#include "platform/strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

using filesrig::SampleFormat;

namespace {

constexpr int kCasesPerFixture = 120;

// What a file command may change: the points of both waves, the tuning and its name, the
// controller map.
struct Snapshot {
    std::vector<float> values;
    std::vector<int> map;
    std::string tuningName;

    explicit Snapshot(APlugin& p) {
        for (int t = tag::UserWave1First; t < tag::UserWave2First + 512; ++t)
            values.push_back(p.getParameter(t));
        for (int n = 0; n < 128; ++n) values.push_back(p.getTuning(n));
        for (int t = tag::HasTuningOn; t < tag::TuningNameFirst + tag::TuningNameCount; ++t)
            values.push_back(p.getParameter(t));
        for (int cc = 0; cc < 128; ++cc) map.push_back(p.getMIDICCTag(cc));
        tuningName = p.getTuningName();
    }
    bool operator==(const Snapshot& o) const {
        return values == o.values && map == o.map && tuningName == o.tuningName;
    }
};

// Offsets of the four-byte chunk identifiers in a RIFF or IFF file.
std::vector<size_t> chunkSizeOffsets(const std::string& bytes) {
    std::vector<size_t> at;
    for (const char* id : {"RIFF", "fmt ", "LIST", "data", "FORM", "COMM", "SSND"}) {
        const size_t p = bytes.find(id);
        if (p != std::string::npos && p + 8 <= bytes.size()) at.push_back(p + 4);
    }
    return at;
}

std::string mutate(const std::string& original, std::mt19937& rng) {
    std::string s = original;
    auto below = [&rng](size_t n) { return n == 0 ? size_t(0) : size_t(rng() % n); };
    const std::vector<size_t> sizes = chunkSizeOffsets(s);
    switch (rng() % 6) {
    case 0: // cut short
        s.resize(below(s.size()));
        break;
    case 1: // random bytes
        for (int i = 0, n = 1 + int(rng() % 8); i < n && !s.empty(); ++i)
            s[below(s.size())] = static_cast<char>(rng());
        break;
    case 2: // a huge chunk size, either byte order
        if (!sizes.empty()) {
            const size_t at = sizes[below(sizes.size())];
            const uint32_t huge = rng() % 2 ? 0xFFFFFFFFu : 0x80000000u + rng() % 1000;
            for (int i = 0; i < 4; ++i) s[at + size_t(i)] = static_cast<char>(huge >> (8 * i));
        }
        break;
    case 3: // a chunk size that ends inside the next chunk, or is odd, zero or tiny
        if (!sizes.empty()) {
            const size_t at = sizes[below(sizes.size())];
            const uint32_t small = rng() % 40;
            for (int i = 0; i < 4; ++i)
                s[at + size_t(rng() % 2 ? i : 3 - i)] = static_cast<char>(small >> (8 * i));
        }
        break;
    case 4: // a stretch repeated, so chunks overlap or come twice
    {
        const size_t from = below(s.size()), length = below(s.size() - from + 1);
        s.insert(below(s.size() + 1), s.substr(from, length));
        break;
    }
    default: // stray text: digits, signs, points, commas, letters and line ends
        for (int i = 0, n = 1 + int(rng() % 4); i < n; ++i)
            s.insert(below(s.size() + 1), 1, "0123456789-+.,eEnaif \n\r=;[]"[rng() % 28]);
        break;
    }
    return s;
}

class FilesFuzz : public ::testing::Test {
protected:
    // Thousands of small files are written and read, and every map a case loads reaches the
    // preferences, flushed to the disk each time: on a memory file system where there is one.
    void SetUp() override {
        if (access("/dev/shm", W_OK) == 0) {
            folder = "/dev/shm/zek2fuzz" + std::to_string(getpid());
            std::filesystem::create_directories(folder);
        } else {
            folder = makeTempFolder("zek2fuzz");
        }
        setPrefsFileForTesting(folder + "/prefs.conf");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }
    rendertest::Engine e;
    std::string folder;
    ScriptedDialogs dialogs; // any question a command asks is answered Cancel
    ScopedDialogBackend scoped{dialogs};
};

std::string tuningFixture() {
    std::string t = "; fixture\n[Tuning]\n";
    for (int n = 0; n < 128; n += 3)
        t += "note " + std::to_string(n) + "=" + std::to_string(n * 100 + 25) + "\n";
    t += "[Exact Tuning]\nBaseFreq = 8.1757989156\n";
    for (int n = 0; n < 128; n += 2)
        t += "note " + std::to_string(n) + "=" + std::to_string(n * 100) + ".5\n";
    return t;
}

} // namespace

TEST_F(FilesFuzz, NoDamagedFileCrashesOrChangesTheSoundWhenRefused) {
    std::vector<std::pair<std::string, std::string>> fixtures; // name, bytes
    auto sine = [](int f, int c) { return std::sin(0.05 * f + c); };
    for (int bits : {8, 16, 24, 32})
        for (int channels : {1, 2}) {
            SampleFormat format;
            format.bits = bits;
            format.channels = channels;
            format.frames = 37;
            format.value = sine;
            fixtures.push_back({"s.wav", filesrig::wavBytes(format)});
            if (bits < 32) fixtures.push_back({"s.aif", filesrig::aiffBytes(format)});
        }
    SampleFormat floats;
    floats.formatTag = 0xFFFE;
    floats.subFormat = 3;
    floats.bits = 32;
    floats.value = sine;
    fixtures.push_back({"f.wav", filesrig::wavBytes(floats)});
    fixtures.push_back({"t.tun", tuningFixture()});
    std::string map;
    for (int cc = 0; cc < 128; ++cc) map += std::to_string(cc % 3 ? 0 : 100 + cc) + "\n";
    fixtures.push_back({"m.ecs", map});
    std::string wave = "0\n512\n1\n";
    for (int i = 0; i < 512; ++i) wave += floatString(0.5f + 0.4f * std::sin(i * 0.1f), 6) + "\n";
    fixtures.push_back({"w.wve", wave});

    std::mt19937 rng(20261206);
    int refused = 0, taken = 0;
    for (const auto& [name, bytes] : fixtures) {
        const std::string file = path(name);
        for (int i = 0; i < kCasesPerFixture; ++i) {
            writeWhole(file, mutate(bytes, rng));
            const Snapshot before(*e);
            bool ok = false;
            const std::string ext = name.substr(name.size() - 3);
            if (ext == "tun") ok = e->loadTuningFile(file, "fuzz");
            if (ext == "ecs") ok = e->loadECSFile(file);
            if (ext == "wve") ok = e->loadWaveFile(1, file);
            if (ext == "wav" || ext == "aif") {
                ok = e->importSample(0, file);
                // The other reader on the same bytes must refuse or read them just as safely.
                TSample other;
                other.setName(file);
                if (ext == "wav" ? other.loadAiff() : other.loadWav()) {
                    float l, r;
                    other.getSample(static_cast<float>(other.getLen()), l, r);
                    ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
                }
            }
            if (!ok) {
                ++refused;
                ASSERT_TRUE(Snapshot(*e) == before) << name << " case " << i;
                continue;
            }
            ++taken;
            for (float v : Snapshot(*e).values) ASSERT_TRUE(std::isfinite(v)) << name << " " << i;
        }
    }
    // Both roads were taken many times.
    EXPECT_GT(refused, 100);
    EXPECT_GT(taken, 100);

    // Whatever was taken plays: the output stays finite.
    filesrig::plainPatch(e, 4);
    e->createUserWaveTable(0);
    e.play({{0x90, 60, 100}});
    e.render(2048);
    EXPECT_TRUE(audio::allFiniteNormal(e.left));
}
