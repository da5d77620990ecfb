// The sample reader's buffer and frame reads, and the byte-to-float conversion tables.
// User-interface thread (the sample import); the tables are built by the engine's constructor.
#include "dsp/TSample.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

float sampleConvert[256][256];
float wave8BitConvert[256];
float au8BitConvert[256];

namespace {

struct Layout {
    int bytesPerSample;
    int channels;
};
constexpr Layout LAYOUTS[TSample::kFormatCount] = {
    {1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {4, 1}, {4, 2},
    {1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {4, 1}, {4, 2},
};

float readFloatLE(const uint8_t* p) {
    const uint32_t bits =
        uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

} // namespace

TSample::TSample() {
    init();
}

void TSample::init() {
    release();
    name = "Nil";
    loaded = false;
    ready = false;
    sampleRate = 44100.0f;
    offset = 1e-15f;
    length = 100;
    loopStart = 0;
    loopEnd = 0;
    format = -1;
}

void TSample::release() {
    data.reset();
    dataBytes = 0;
    ready = false;
}

bool TSample::setLen(int frames, std::size_t bytes) {
    if (frames == 0) return true;
    release();
    if (frames < 0 || bytes > kMaxDataBytes) return false;
    data.reset(new (std::nothrow) uint8_t[bytes + kPadBytes]);
    if (!data) return false;
    std::memset(data.get(), 0, bytes + kPadBytes);
    dataBytes = bytes;
    length = frames;
    return true;
}

bool TSample::fail() {
    release();
    loaded = false;
    format = -1;
    return false;
}

bool TSample::takeData(std::FILE* file, uint64_t at, uint64_t frames, int frameBytes, int fmt) {
    const uint64_t bytes = frames * uint64_t(frameBytes);
    if (frames < 1 || frames > uint64_t(INT32_MAX) || bytes > kMaxDataBytes) return false;
    if (!setLen(static_cast<int>(frames), static_cast<std::size_t>(bytes))) return false;
    if (fseeko(file, static_cast<off_t>(at), SEEK_SET) != 0) return false;
    if (std::fread(data.get(), 1, dataBytes, file) != dataBytes) return false;
    format = fmt;
    loopStart = 0;
    loopEnd = length - 1;
    // A float file may hold NaN or infinity, which would spread through the wave it feeds.
    if ((fmt == kWavFloatMono || fmt == kWavFloatStereo) && !dataIsFinite()) return false;
    loaded = true;
    ready = true;
    return true;
}

bool TSample::dataIsFinite() const {
    for (std::size_t i = 0; i + 4 <= dataBytes; i += 4)
        if (!std::isfinite(readFloatLE(data.get() + i))) return false;
    return true;
}

float TSample::frameValue(int64_t frame, int channel) const {
    if (format < 0 || format >= kFormatCount) return 0.0f;
    const Layout layout = LAYOUTS[format];
    if (layout.channels == 1) channel = 0;
    const uint64_t at = uint64_t(frame) * uint64_t(layout.bytesPerSample * layout.channels) +
                        uint64_t(channel * layout.bytesPerSample);
    if (at + uint64_t(layout.bytesPerSample) > dataBytes) return 0.0f;
    const uint8_t* p = data.get() + at;
    switch (format) {
    case kWav8Mono:
    case kWav8Stereo:
        return wave8BitConvert[p[0]];
    case kWav16Mono:
    case kWav16Stereo:
        return sampleConvert[p[1]][p[0]];
    case kWav24Mono:
    case kWav24Stereo:
        return sampleConvert[p[2]][p[1]];
    case kWavFloatMono:
    case kWavFloatStereo:
        return readFloatLE(p);
    case kAiff8Mono:
    case kAiff8Stereo:
        return au8BitConvert[p[0]];
    case kAiff16Mono:
    case kAiff16Stereo:
    case kAiff24Mono:
    case kAiff24Stereo:
        return sampleConvert[p[0]][p[1]];
    case kWav32Mono:
    case kWav32Stereo:
        return sampleConvert[p[3]][p[2]];
    default:
        return 0.0f;
    }
}

void TSample::getSample(float position, float& left, float& right) const {
    if (!ready || !data || length < 1) {
        left = right = 0.0f;
        return;
    }
    // The last frame is a real frame: positions between it and the one before interpolate,
    // later ones hold it. NaN reads the first frame.
    const int last = length - 1;
    double pos = position;
    if (!(pos > 0.0)) pos = 0.0;
    if (pos > last) pos = last;
    const int i0 = static_cast<int>(pos);
    const int i1 = i0 < last ? i0 + 1 : last;
    const double f = pos - i0;
    // In double, so two finite extremes cannot overflow to an infinity on the way.
    const double l0 = frameValue(i0, 0), l1 = frameValue(i1, 0);
    const double r0 = frameValue(i0, 1), r1 = frameValue(i1, 1);
    left = static_cast<float>(l0 + (l1 - l0) * f + offset);
    right = static_cast<float>(r0 + (r1 - r0) * f + offset);
}

void buildSampleConvertTables() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int high = 0; high < 256; ++high)
            for (int low = 0; low < 256; ++low) {
                int v = high * 256 + low;
                if (v > 32767) v -= 65536;
                sampleConvert[high][low] = static_cast<float>(v) / 32768.0f;
            }
        for (int b = 0; b < 256; ++b) {
            wave8BitConvert[b] = static_cast<float>(b - 128) / 128.0f;
            au8BitConvert[b] = static_cast<float>(b > 127 ? b - 256 : b) / 128.0f;
        }
    });
}
