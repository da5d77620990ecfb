// WAV and AIFF reading for the sample reader: the chunks are walked by their sizes in 64-bit
// arithmetic, and a data chunk that claims more than the file holds yields what is there.
// User-interface thread (the sample import).
#include "dsp/TSample.h"

#include <cmath>
#include <cstring>

namespace {

// A file shut on every road out.
class ReadFile {
public:
    explicit ReadFile(const std::string& path) : f(std::fopen(path.c_str(), "rb")) {
        if (f && fseeko(f, 0, SEEK_END) == 0) {
            const off_t end = ftello(f);
            if (end > 0) bytes = static_cast<uint64_t>(end);
        }
    }
    ~ReadFile() {
        if (f) std::fclose(f);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    std::FILE* get() const { return f; }
    uint64_t size() const { return bytes; }
    // Exactly n bytes at `at`, all inside the file.
    bool read(uint64_t at, void* into, std::size_t n) const {
        if (!f || at > bytes || n > bytes - at) return false;
        if (fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) return false;
        return std::fread(into, 1, n, f) == n;
    }

private:
    std::FILE* f;
    uint64_t bytes = 0;
};

uint32_t le16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}
uint32_t be16(const uint8_t* p) {
    return uint32_t(p[0]) << 8 | uint32_t(p[1]);
}
uint32_t be32(const uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}
bool isId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// Files this small hold no sample.
constexpr uint64_t kMinFileBytes = 35;
// Rates a WAV may state.
constexpr uint32_t kMinRate = 4700, kMaxRate = 190000;
// A real file has a handful of chunks; a walk through more is a hostile file, not a sample.
constexpr int kMaxChunks = 1024;

constexpr uint32_t kWaveFormatPCM = 1, kWaveFormatFloat = 3, kWaveFormatExtensible = 0xFFFE;

// The 80-bit extended sample rate of an AIFF; 44100 when it is not a plausible rate.
float aiffRate(const uint8_t* p) {
    const int exponent = int(be16(p) & 0x7FFF);
    const uint64_t mantissa = uint64_t(be32(p + 2)) << 32 | be32(p + 6);
    if ((p[0] & 0x80) != 0 || mantissa == 0) return 44100.0f;
    const double rate = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return rate >= kMinRate && rate <= kMaxRate ? static_cast<float>(rate) : 44100.0f;
}

} // namespace

bool TSample::loadWav() {
    release();
    loaded = false;
    ReadFile file(name);
    if (!file.get() || file.size() < kMinFileBytes) return fail();
    uint8_t head[12];
    if (!file.read(0, head, 12) || !isId(head, "RIFF") || !isId(head + 8, "WAVE")) return fail();

    bool haveFormat = false, haveData = false;
    uint32_t tag = 0, channels = 0, rate = 0, bits = 0;
    uint64_t dataAt = 0, dataClaim = 0;
    uint64_t at = 12;
    for (int chunk = 0; chunk < kMaxChunks && !(haveFormat && haveData); ++chunk) {
        uint8_t header[8];
        if (!file.read(at, header, 8)) break;
        const uint64_t size = le32(header + 4);
        const uint64_t body = at + 8;
        if (isId(header, "fmt ") && !haveFormat) {
            uint8_t fmt[40] = {};
            if (size < 16 || !file.read(body, fmt, size < 40 ? std::size_t(size) : 40))
                return fail();
            tag = le16(fmt);
            channels = le16(fmt + 2);
            rate = le32(fmt + 4);
            bits = le16(fmt + 14);
            // The extensible form names its real format in the first two bytes of its
            // sub-format identifier.
            if (tag == kWaveFormatExtensible) tag = size >= 40 ? le16(fmt + 24) : 0;
            haveFormat = true;
        } else if (isId(header, "data") && !haveData) {
            dataAt = body;
            dataClaim = size;
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData) return fail();
    if (channels < 1 || channels > 2 || rate < kMinRate || rate > kMaxRate) return fail();

    int code = -1;
    if (tag == kWaveFormatPCM && bits == 8) code = kWav8Mono;
    if (tag == kWaveFormatPCM && bits == 16) code = kWav16Mono;
    if (tag == kWaveFormatPCM && bits == 24) code = kWav24Mono;
    if (tag == kWaveFormatPCM && bits == 32) code = kWav32Mono;
    if (tag == kWaveFormatFloat && bits == 32) code = kWavFloatMono;
    if (code < 0) return fail();
    if (channels == 2) ++code;

    const int frameBytes = int(bits / 8 * channels);
    const uint64_t held = file.size() > dataAt ? file.size() - dataAt : 0;
    const uint64_t bytes = dataClaim < held ? dataClaim : held;
    sampleRate = static_cast<float>(rate);
    if (!takeData(file.get(), dataAt, bytes / uint64_t(frameBytes), frameBytes, code))
        return fail();
    return true;
}

bool TSample::loadAiff() {
    release();
    loaded = false;
    ReadFile file(name);
    if (!file.get() || file.size() < kMinFileBytes) return fail();
    uint8_t head[12];
    if (!file.read(0, head, 12) || !isId(head, "FORM") || !isId(head + 8, "AIFF")) return fail();

    bool haveCommon = false, haveData = false;
    uint32_t channels = 0, bits = 0;
    uint64_t frames = 0, dataAt = 0, dataEnd = 0;
    float rate = 44100.0f;
    uint64_t at = 12;
    for (int chunk = 0; chunk < kMaxChunks && !(haveCommon && haveData); ++chunk) {
        uint8_t header[8];
        if (!file.read(at, header, 8)) break;
        const uint64_t size = be32(header + 4);
        const uint64_t body = at + 8;
        if (isId(header, "COMM") && !haveCommon) {
            uint8_t comm[18];
            if (size < 18 || !file.read(body, comm, 18)) return fail();
            channels = be16(comm);
            frames = be32(comm + 2);
            bits = be16(comm + 6);
            rate = aiffRate(comm + 8);
            haveCommon = true;
        } else if (isId(header, "SSND") && !haveData) {
            uint8_t ssnd[8];
            if (size < 8 || !file.read(body, ssnd, 8)) return fail();
            // The sound starts `offset` bytes into the chunk's data; the chunk may claim
            // more than the file holds.
            dataAt = body + 8 + be32(ssnd);
            dataEnd = body + size;
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveCommon || !haveData) return fail();
    if (channels < 1 || channels > 2) return fail();
    int code = -1;
    if (bits == 8) code = kAiff8Mono;
    if (bits == 16) code = kAiff16Mono;
    if (bits == 24) code = kAiff24Mono;
    if (code < 0) return fail();
    if (channels == 2) ++code;

    const int frameBytes = int(bits / 8 * channels);
    if (dataEnd > file.size()) dataEnd = file.size();
    const uint64_t held = dataEnd > dataAt ? (dataEnd - dataAt) / uint64_t(frameBytes) : 0;
    sampleRate = rate;
    if (!takeData(file.get(), dataAt, frames < held ? frames : held, frameBytes, code))
        return fail();
    return true;
}
