// The sample reader on generated WAV and AIFF files of every layout it reads or refuses, and
// the sample import into a user wave, heard through the oscillator.
#include "FilesRig.h"
#include "TestFolders.h"
#include "dsp/TSample.h"

#include <gtest/gtest.h>

#include <filesystem>

using filesrig::SampleFormat;

namespace {

class SampleFiles : public ::testing::Test {
protected:
    void SetUp() override {
        buildSampleConvertTables();
        folder = makeTempFolder("zek2sample");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = folder + "/" + name;
        writeWhole(path, bytes);
        return path;
    }
    bool load(TSample& s, const std::string& name, const std::string& bytes) {
        s.setName(write(name, bytes));
        return name.find(".wav") != std::string::npos ? s.loadWav() : s.loadAiff();
    }
    static void expectRefused(const TSample& s) {
        EXPECT_FALSE(s.isReady());
        EXPECT_FALSE(s.sampleLoaded());
        float l = 1.0f, r = 1.0f;
        s.getSample(3.0f, l, r);
        EXPECT_EQ(l, 0.0f);
        EXPECT_EQ(r, 0.0f);
    }
    std::string folder;
};

// Left a ramp from -0.75 up, right its negative: each frame different, both sides different.
double ramp(int frame, int channel) {
    const double v = -0.75 + 0.05 * frame;
    return channel == 0 ? v : -v;
}

} // namespace

TEST_F(SampleFiles, EveryReadableLayoutGivesItsValuesFormatAndRate) {
    struct Case {
        const char* file;
        int tag, sub, bits, code;
    } cases[] = {
        {"a.wav", 1, 1, 8, TSample::kWav8Mono},
        {"a.wav", 1, 1, 16, TSample::kWav16Mono},
        {"a.wav", 1, 1, 24, TSample::kWav24Mono},
        {"a.wav", 1, 1, 32, TSample::kWav32Mono},
        {"a.wav", 3, 3, 32, TSample::kWavFloatMono},
        {"a.wav", 0xFFFE, 1, 24, TSample::kWav24Mono},
        {"a.wav", 0xFFFE, 3, 32, TSample::kWavFloatMono},
        {"a.aif", 0, 0, 8, TSample::kAiff8Mono},
        {"a.aif", 0, 0, 16, TSample::kAiff16Mono},
        {"a.aif", 0, 0, 24, TSample::kAiff24Mono},
    };
    for (const Case& c : cases)
        for (int channels : {1, 2}) {
            SampleFormat format;
            format.formatTag = c.tag;
            format.subFormat = c.sub;
            format.bits = c.bits;
            format.channels = channels;
            format.rate = 48000;
            format.frames = 31;
            format.value = ramp;
            const bool wav = c.file[2] == 'w';
            TSample s;
            ASSERT_TRUE(
                load(s, c.file, wav ? filesrig::wavBytes(format) : filesrig::aiffBytes(format)))
                << c.file << " " << c.bits << " bits, tag " << c.tag << ", " << channels;
            EXPECT_EQ(s.getFormat(), c.code + channels - 1);
            EXPECT_EQ(s.getFrames(), 31);
            EXPECT_EQ(s.getSampleRate(), 48000.0f);
            EXPECT_FLOAT_EQ(s.getSamplePitch(24000.0f), 2.0f);
            const double tolerance = c.bits == 8 ? 1.0 / 128 : 1.0 / 32768;
            for (int f : {0, 7, 30}) {
                float l, r;
                s.getSample(static_cast<float>(f), l, r);
                EXPECT_NEAR(l, ramp(f, 0), tolerance) << c.bits << " bits, frame " << f;
                EXPECT_NEAR(r, channels == 2 ? ramp(f, 1) : ramp(f, 0), tolerance);
            }
            // Half way between frames 7 and 8.
            float l, r;
            s.getSample(7.5f, l, r);
            EXPECT_NEAR(l, 0.5 * (ramp(7, 0) + ramp(8, 0)), tolerance);
        }
}

TEST_F(SampleFiles, UnreadableLayoutsAndDamagedFilesAreRefusedLeavingNothingToRead) {
    auto wav = [](auto change) {
        SampleFormat format;
        format.value = ramp;
        change(format);
        return filesrig::wavBytes(format);
    };
    std::string nanFloat = wav([](SampleFormat& s) {
        s.formatTag = 3;
        s.bits = 32;
        s.value = [](int f, int) { return f == 40 ? std::nan("") : 0.1; };
    });
    const std::string refused[] = {
        wav([](SampleFormat& s) { s.channels = 3; }),
        wav([](SampleFormat& s) { s.bits = 12; }),
        wav([](SampleFormat& s) { s.rate = 4000; }),
        wav([](SampleFormat& s) { s.rate = 200000; }),
        wav([](SampleFormat& s) { s.formatTag = 3, s.bits = 16; }),
        wav([](SampleFormat& s) { s.formatTag = 2; }), // compressed
        wav([](SampleFormat& s) { s.frames = 0; }),
        nanFloat,
        "RIFF\x10\x00\x00\x00WAVEfmt ",
        std::string(100, '\0'),
    };
    TSample s;
    // A good load first: a refusal afterwards must not leave the old data readable.
    for (const std::string& bytes : refused) {
        ASSERT_TRUE(load(s, "good.wav", wav([](SampleFormat&) {})));
        EXPECT_FALSE(load(s, "bad.wav", bytes));
        expectRefused(s);
    }
    SampleFormat format;
    format.bits = 32;
    EXPECT_FALSE(load(s, "x.aif", filesrig::aiffBytes(format))) << "AIFF reads 8, 16 and 24 bits";
    expectRefused(s);
    EXPECT_FALSE(load(s, "x.aif", filesrig::wavBytes(format)));
    s.setName(folder + "/missing.wav");
    EXPECT_FALSE(s.loadWav());
    expectRefused(s);
}

TEST_F(SampleFiles, ATruncatedFileGivesTheFramesItHoldsAndTheLastFrameIsRead) {
    SampleFormat format;
    format.channels = 2;
    format.frames = 20;
    format.value = ramp;
    for (bool wav : {true, false}) {
        std::string bytes = wav ? filesrig::wavBytes(format) : filesrig::aiffBytes(format);
        bytes.resize(bytes.size() - 4 * 5 - 1); // five and a quarter frames cut off
        TSample s;
        ASSERT_TRUE(load(s, wav ? "t.wav" : "t.aif", bytes));
        EXPECT_EQ(s.getFrames(), 14);
        float l, r;
        s.getSample(13.0f, l, r);
        EXPECT_NEAR(l, ramp(13, 0), 1e-4);
        s.getSample(1e9f, l, r);
        EXPECT_NEAR(r, ramp(13, 1), 1e-4) << "past the end holds the last frame";
        s.getSample(std::nanf(""), l, r);
        EXPECT_NEAR(l, ramp(0, 0), 1e-4);
    }
}

TEST_F(SampleFiles, AnImportedSampleBecomesTheUserWaveHeard) {
    const float rate = 48000.0f;
    rendertest::Engine e(rate);
    filesrig::plainPatch(e, 4); // user wave 1
    // Three sine cycles over the whole sample: the 512 points hold three cycles, so a key
    // sounds three times its pitch.
    SampleFormat format;
    format.channels = 2;
    format.frames = 3000;
    format.value = [](int f, int) { return 0.9 * std::sin(2.0 * M_PI * 3.0 * f / 3000.0); };
    const std::string path = write("three.wav", filesrig::wavBytes(format));

    ScriptedDialogs dialogs;
    ScopedDialogBackend scoped(dialogs);
    dialogs.answerOk(path);
    e->loadSample(0);
    ASSERT_EQ(dialogs.questions().size(), 1u);
    std::string stored;
    loadStringFromPrefs("SampleDir", stored, 127);
    EXPECT_EQ(stored, folder + "/");
    EXPECT_NEAR(e->getParameter(tag::UserWave1First), 0.5f, 1e-3);
    EXPECT_NEAR(e->getParameter(tag::UserWave1First + 43),
                0.5f + 0.45f * std::sin(2 * M_PI * 3 * 43 / 512.0), 2e-3);

    const std::vector<float> heard = filesrig::holdKey(e, 45, 0.3, rate);
    EXPECT_NEAR(audio::cents(audio::crossingFrequency(heard, rate), 3 * 110.0), 0.0, 5.0);

    // A refused sample or a cancelled chooser changes no point.
    const float before = e->getParameter(tag::UserWave1First + 43);
    dialogs.answerOk(write("bad.wav", "RIFF junk"));
    e->loadSample(0);
    dialogs.answerCancel();
    e->loadSample(0);
    e->loadSample(2); // no third wave: not even a question
    EXPECT_EQ(dialogs.questions().size(), 3u);
    EXPECT_EQ(e->getParameter(tag::UserWave1First + 43), before);
}
