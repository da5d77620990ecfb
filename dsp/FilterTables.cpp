// Builds the filter coefficient tables once per process, on the first caller's thread; every
// thread reads them afterwards without locks.
#include "dsp/FilterTables.h"

#include <cmath>
#include <memory>
#include <mutex>

namespace {

// The float value of pi that every table is built with.
constexpr float kPi = 3.14159274f;
constexpr float kTwoPi = 6.2831855f;

void buildFilterTables(FilterTables& t) {
    for (int i = 0; i < LUT_FILTER_SIZE; ++i) {
        const float x = static_cast<float>(i) * (1.0f / 262144.0f);
        const float w = kPi * x;
        const float f = 2.0f * x;
        const float q = 1.0f - f;
        const float p = f + f * q;
        const float y = static_cast<float>(i) * (1.0f / 131072.0f);
        const float sw = std::sin(w);
        const float cw = std::cos(w);
        // x stays below 0.5, so w stays below pi/2: cos(w) and tan(w) are positive and finite.
        t.FilterSine[i] = 2.0f * sw + 1e-15f;
        t.Filter2Sine[i] = std::sin(kTwoPi * x);
        t.Filter2Cos[i] = std::cos(kTwoPi * x);
        t.Filter12Lo2[i] = cw / (sw + 0.0015f);
        t.Filter12Hi2[i] = sw / (cw + 0.0015f);
        t.FilterZTan[i] = std::tan(w);
        t.FilterMFF[i] = 2.0f * p - 1.0f + 1e-15f;
        t.FilterMFP[i] = p + 1e-15f;
        t.FilterMFQ[i] = 1.0f + 0.5f * q * (1.0f - q + 5.6f * q * q);
        t.FilterVoxC[i] = 1.0f / (sw / cw + 0.001f);
        t.FilterVoxD[i] = 2.0f * std::cos(kTwoPi * x);
        t.FilterZQ[i] = 0.5f * std::exp2(-5.0f * y);
        const float e = static_cast<float>(std::exp2(static_cast<double>(3.98f * y + 1.0f)));
        t.FilterTmpqs[i] = std::sqrt(1.0f + e);
        t.FilterInvTmpq[i] = 1.0f / e;
    }
}

std::unique_ptr<FilterTables> sharedFilterTables;
std::once_flag sharedFilterTablesOnce;

} // namespace

const FilterTables& filterTables() {
    std::call_once(sharedFilterTablesOnce, [] {
        std::unique_ptr<FilterTables> t(new FilterTables());
        buildFilterTables(*t);
        sharedFilterTables = std::move(t);
    });
    return *sharedFilterTables;
}
