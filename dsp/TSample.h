// The sample reader of the sample import: reads a WAV or AIFF file into memory as stored and
// returns interpolated frames as floats, plus the tables that turn sample bytes into floats.
// User-interface thread only; the tables are built once per process and only read after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class TSample {
public:
    // Frame layouts: WAV 8, 16, 24 and 32-bit float, AIFF 8, 16 and 24-bit (mono, stereo),
    // then WAV 32-bit integer.
    enum Format : int32_t {
        kWav8Mono = 0,
        kWav8Stereo,
        kWav16Mono,
        kWav16Stereo,
        kWav24Mono,
        kWav24Stereo,
        kWavFloatMono,
        kWavFloatStereo,
        kAiff8Mono,
        kAiff8Stereo,
        kAiff16Mono,
        kAiff16Stereo,
        kAiff24Mono,
        kAiff24Stereo,
        kWav32Mono,
        kWav32Stereo,
        kFormatCount
    };
    // Larger sample data is refused rather than held in memory.
    static constexpr uint64_t kMaxDataBytes = uint64_t(1) << 30;
    // Zeroed bytes kept after the data.
    static constexpr std::size_t kPadBytes = 4096;

    TSample();
    TSample(const TSample&) = delete;
    TSample& operator=(const TSample&) = delete;

    // Back to the state after construction: no data, name "Nil".
    void init();
    void release();
    void setName(const std::string& path) { name = path; }
    const std::string& getName() const { return name; }

    // Read the file named by setName. True on success; on failure the reader is not ready,
    // holds no data and `getSample` reads silence.
    bool loadWav();
    bool loadAiff();

    bool sampleLoaded() const { return loaded; }
    bool isReady() const { return ready; }
    // With frames not 0: length = frames and a new zeroed buffer of bytes + kPadBytes.
    // False (and no buffer) when it cannot be had.
    bool setLen(int frames, std::size_t bytes);
    int getLen() const { return length - 1; }
    int getFrames() const { return length; }
    int getLoopStart() const { return loopStart; }
    int getLoopEnd() const { return loopEnd; }
    int getFormat() const { return format; }
    float getSampleRate() const { return sampleRate; }
    float getSamplePitch(float rate) const { return rate > 0.0f ? sampleRate / rate : 1.0f; }
    // Linear interpolation between the frames around `position` (clamped to the first and
    // last frame); mono formats give the same value on both sides. Silence when not ready.
    void getSample(float position, float& left, float& right) const;
    static int minInt(int a, int b) { return a < b ? a : b; }

private:
    bool fail();
    // Takes `frames` frames of `frameBytes` bytes each from `file` at `offset`.
    bool takeData(std::FILE* file, uint64_t offset, uint64_t frames, int frameBytes, int format);
    bool dataIsFinite() const;
    float frameValue(int64_t frame, int channel) const;

    std::unique_ptr<uint8_t[]> data;
    std::size_t dataBytes = 0;
    std::string name;
    bool loaded = false;
    bool ready = false;
    float sampleRate = 44100.0f;
    float offset = 1e-15f;
    int32_t length = 100;
    int32_t loopStart = 0;
    int32_t loopEnd = 0;
    int32_t format = -1;
};

// [high byte][low byte] of a signed 16-bit sample -> -1..1.
extern float sampleConvert[256][256];
// Unsigned 8-bit sample -> -1..1.
extern float wave8BitConvert[256];
// Signed 8-bit sample -> -1..1.
extern float au8BitConvert[256];

// Fills the three tables; safe to call from any number of engines, only the first call works.
void buildSampleConvertTables();
