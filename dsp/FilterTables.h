// The filter coefficient tables the DSP classes read: sines, cosines, tangents and the
// resonance laws of the filters, by normalised frequency or by a 0..1 control. Built once per
// process on first use, then read by every thread unlocked.
#pragma once

constexpr int LUT_FILTER_SIZE = 131072; // cutoff / rate in steps of 2^-18, up to just below 0.5

// One object per process, on the heap, built by the first call of filterTables() and never
// written again. Readers that compute an index from a float use the index functions below,
// which keep it inside the table for any input, NaN and infinities included.
struct FilterTables {
    FilterTables(const FilterTables&) = delete;
    FilterTables& operator=(const FilterTables&) = delete;

    // By normalised frequency x = i / 262144 (index: filterTableIndex).
    float FilterSine[LUT_FILTER_SIZE];
    float Filter2Sine[LUT_FILTER_SIZE];
    float Filter2Cos[LUT_FILTER_SIZE];
    float Filter12Lo2[LUT_FILTER_SIZE];
    float Filter12Hi2[LUT_FILTER_SIZE];
    float FilterZTan[LUT_FILTER_SIZE];
    float FilterMFF[LUT_FILTER_SIZE];
    float FilterMFQ[LUT_FILTER_SIZE];
    float FilterMFP[LUT_FILTER_SIZE];
    float FilterVoxC[LUT_FILTER_SIZE];
    float FilterVoxD[LUT_FILTER_SIZE];
    // By a 0..1 control y = i / 131072 (index: filterControlIndex).
    float FilterZQ[LUT_FILTER_SIZE];
    float FilterTmpqs[LUT_FILTER_SIZE];
    float FilterInvTmpq[LUT_FILTER_SIZE];

private:
    FilterTables() = default;
    friend const FilterTables& filterTables();
};

// The one shared block; the first call builds it (about 7 MB), later calls return the same
// object. Safe to call from any thread.
const FilterTables& filterTables();

// Truncates position into 0 .. size - 1; NaN and negative give 0, +inf gives size - 1.
inline int clampTableIndex(float position, int size) {
    if (!(position > 0.0f)) return 0;
    if (position >= static_cast<float>(size - 1)) return size - 1;
    return static_cast<int>(position);
}

// Index of the frequency-indexed tables for a cutoff over the rate the filter runs at. A
// cutoff at or above Nyquist, or a zero rate, reads the last entry instead of past the end.
inline int filterTableIndex(float cutoffOverRate) {
    return clampTableIndex((cutoffOverRate + 0.001f) * 262143.0f, LUT_FILTER_SIZE);
}

// Index of FilterZQ, FilterTmpqs and FilterInvTmpq for a 0..1 control.
inline int filterControlIndex(float control) {
    return clampTableIndex(control * 131072.0f, LUT_FILTER_SIZE);
}
