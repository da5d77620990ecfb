// Fixtures for the file tests, generated here: WAV and AIFF sample files of any layout, and a
// test engine with a plain sine patch whose pitch and wave can be heard. Unit tests only.
#pragma once

#include "RenderEngine.h"
#include "TestFolders.h"
#include "platform/dialogs.h"
#include "tests/PlainOscillator.h"
#include "tests/host/AudioAnalysis.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace filesrig {

inline void putLE(std::string& s, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void putBE(std::string& s, uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A sample of `frames` frames; value(frame, channel) gives each sample in -1..1.
struct SampleFormat {
    int channels = 1;
    int bits = 16;
    int formatTag = 1; // WAV: 1 integer, 3 float; 0xFFFE extensible (of `subFormat`)
    int subFormat = 1;
    uint32_t rate = 44100;
    int frames = 64;
    std::function<double(int, int)> value = [](int, int) { return 0.0; };
};

// One sample as stored: integers are scaled by 2^(bits-1) and held to their range; WAV 8-bit
// is unsigned.
inline void putSample(std::string& s, const SampleFormat& format, double v, bool bigEndian) {
    const bool isFloat =
        format.formatTag == 3 || (format.formatTag == 0xFFFE && format.subFormat == 3);
    const int bytes = format.bits / 8;
    if (isFloat) {
        const float f = static_cast<float>(v);
        uint32_t bitsOf;
        std::memcpy(&bitsOf, &f, 4);
        putLE(s, bitsOf, 4);
        return;
    }
    const double scale = std::ldexp(1.0, format.bits - 1);
    double q = std::floor(v * scale);
    if (q > scale - 1) q = scale - 1;
    if (q < -scale) q = -scale;
    int64_t i = static_cast<int64_t>(q);
    if (format.bits == 8 && !bigEndian) i += 128; // WAV 8-bit is offset binary
    const uint64_t u = static_cast<uint64_t>(i) & ((uint64_t(1) << format.bits) - 1);
    if (bigEndian)
        putBE(s, u, bytes);
    else
        putLE(s, u, bytes);
}

inline std::string wavBytes(const SampleFormat& format) {
    std::string data;
    for (int f = 0; f < format.frames; ++f)
        for (int c = 0; c < format.channels; ++c)
            putSample(data, format, format.value(f, c), false);
    std::string fmt;
    const int align = format.bits / 8 * format.channels;
    putLE(fmt, uint64_t(format.formatTag), 2);
    putLE(fmt, uint64_t(format.channels), 2);
    putLE(fmt, format.rate, 4);
    putLE(fmt, uint64_t(format.rate) * uint64_t(align), 4);
    putLE(fmt, uint64_t(align), 2);
    putLE(fmt, uint64_t(format.bits), 2);
    if (format.formatTag == 0xFFFE) {
        putLE(fmt, 22, 2);
        putLE(fmt, uint64_t(format.bits), 2);
        putLE(fmt, format.channels == 2 ? 3 : 4, 4);
        putLE(fmt, uint64_t(format.subFormat), 2);
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    body += "fmt ";
    putLE(body, fmt.size(), 4);
    body += fmt;
    // A chunk the reader must step over, of odd size with its pad byte.
    body += "LIST";
    putLE(body, 3, 4);
    body += std::string("abc\0", 4);
    body += "data";
    putLE(body, data.size(), 4);
    body += data;
    if (data.size() & 1) body.push_back('\0');
    std::string file = "RIFF";
    putLE(file, body.size(), 4);
    return file + body;
}

inline std::string aiffBytes(const SampleFormat& format) {
    std::string data;
    for (int f = 0; f < format.frames; ++f)
        for (int c = 0; c < format.channels; ++c) putSample(data, format, format.value(f, c), true);
    std::string body = "AIFF";
    body += "COMM";
    putBE(body, 18, 4);
    putBE(body, uint64_t(format.channels), 2);
    putBE(body, uint64_t(format.frames), 4);
    putBE(body, uint64_t(format.bits), 2);
    // 80-bit extended rate: exponent, then the mantissa with its explicit leading one.
    int exponent = 0;
    while ((uint64_t(1) << (exponent + 1)) <= format.rate) ++exponent;
    putBE(body, uint64_t(16383 + exponent), 2);
    putBE(body, uint64_t(format.rate) << (63 - exponent), 8);
    body += "SSND";
    putBE(body, data.size() + 8, 4);
    putBE(body, 0, 4);
    putBE(body, 0, 4);
    body += data;
    if (data.size() & 1) body.push_back('\0');
    std::string file = "FORM";
    putBE(file, body.size(), 4);
    return file + body;
}

// A sine patch on oscillator 1 (type 0 sine, 4 user wave 1), amp envelope open at once, no
// effects: its pitch is the played key's.
inline void plainPatch(rendertest::Engine& e, int type = 0) {
    APlugin& p = *e;
    testpatch::setPlainVoice(p, type);
    e.settle();
}

// The left channel of `seconds` of a held key, after a settling tenth of a second.
inline std::vector<float> holdKey(rendertest::Engine& e, int key, double seconds, float rate) {
    e.play({{0x90, key, 100}});
    e.render(static_cast<int>(0.1 * rate));
    e.render(static_cast<int>(seconds * rate));
    std::vector<float> left = e.left;
    e.play({{0x80, key, 0}});
    e.settle();
    return left;
}

// An engine, a scratch folder removed afterwards with every file the engine kept (its data
// folder is inside), and a scripted dialog back end that records every question a file command
// asks (unanswered ones are Cancel).
class FileTest : public ::testing::Test {
protected:
    explicit FileTest(const char* prefix)
        : folder(makeTempFolder(prefix)), dataHome("XDG_DATA_HOME", folder + "/data") {}
    void TearDown() override {
        scoped.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string write(const std::string& name, const std::string& text) {
        writeWhole(folder + "/" + name, text);
        return folder + "/" + name;
    }
    int messages(const std::string& text) const {
        int n = 0;
        for (const DialogRequest& q : dialogs.questions())
            n += q.kind == DialogKind::Message && q.text == text;
        return n;
    }
    std::string folder;
    ScopedEnv dataHome; // the engines keep their files (tuning copies among them) in `folder`
    rendertest::Engine e;
    ScriptedDialogs dialogs;
    std::unique_ptr<ScopedDialogBackend> scoped = std::make_unique<ScopedDialogBackend>(dialogs);
};

} // namespace filesrig
