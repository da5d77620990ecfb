// The sample reader's buffer and the byte-to-float conversion tables.
#include "dsp/TSample.h"

#include <mutex>

float sampleConvert[256][256];
float wave8BitConvert[256];
float au8BitConvert[256];

TSample::~TSample() {
    release();
}

void TSample::release() {
    delete[] data;
    data = nullptr;
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
