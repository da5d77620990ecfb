// The sample reader used by the sample import, and the tables that turn 16-bit and 8-bit
// sample bytes into floats. The tables are built once per process and never change after.
#pragma once

class TSample {
public:
    TSample() = default;
    ~TSample();
    TSample(const TSample&) = delete;
    TSample& operator=(const TSample&) = delete;

    // Releases the sample data, if any.
    void release();
    const float* getData() const { return data; }

private:
    float* data = nullptr;
};

// [high byte][low byte] of a signed 16-bit sample -> -1..1.
extern float sampleConvert[256][256];
// Unsigned 8-bit sample -> -1..1.
extern float wave8BitConvert[256];
// Signed 8-bit sample -> -1..1.
extern float au8BitConvert[256];

// Fills the three tables; safe to call from any number of engines, only the first call works.
void buildSampleConvertTables();
