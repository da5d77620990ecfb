// The performance ribbon: quantisation, smoothing and source 81 every 16 samples, and the
// timed spring-back to rest. The spring's fields are the audio thread's: the ribbon control
// stops and starts the spring from the user-interface thread through a request the update
// serves within 16 samples (at once while no render runs).
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoTables.h"

#include <cmath>

namespace {
constexpr int kSpringOff = 0, kSpringInstant = 1;

float clampBipolar(float x) {
    if (!(x > -1.0f)) return -1.0f;
    return x > 1.0f ? 1.0f : x;
}
} // namespace

int APlugin::getRibbonQuant() const {
    return getSteppedValue(tag::RibbonQuantization);
}

int APlugin::getRibbonSpringTime() const {
    return getSteppedValue(tag::RibbonSpringTime);
}

// Only another thread's wish is kept: the render's own calls (the MIDI spring, a preset)
// act at once and leave a wish still waiting to be served as it was.
void APlugin::setRibbonSpringOn() {
    if (renderRunsElsewhere()) ribbonSpringWanted.store(true, std::memory_order_relaxed);
    if (!deferToRender(kRequestRibbonSpring)) setRibbonSpringOnNow();
}

void APlugin::setRibbbonSpringOff() {
    if (renderRunsElsewhere()) ribbonSpringWanted.store(false, std::memory_order_relaxed);
    if (!deferToRender(kRequestRibbonSpring)) ribbonSpringActive = 0;
}

bool APlugin::isRibbonSpringGliding() const {
    if (engineRequests.load(std::memory_order_acquire) & kRequestRibbonSpring)
        return ribbonSpringWanted.load(std::memory_order_relaxed);
    return ribbonSpringActive != 0;
}

// The last wish counts: a press and release within one block leave the spring started.
void APlugin::serveRibbonSpringRequest(uint32_t requests) {
    if (!(requests & kRequestRibbonSpring)) return;
    if (ribbonSpringWanted.load(std::memory_order_relaxed))
        setRibbonSpringOnNow();
    else
        ribbonSpringActive = 0;
}

void APlugin::setRibbonSpringOnNow() {
    ribbonSpringActive = 1;
    const int n = getRibbonSpringTime();
    if (n == kSpringOff) {
        ribbonSpringRate = 0.0f;
        ribbonSpringActive = 0;
        return;
    }
    const float target = getOnOff(tag::RibbonBipolarOn) ? 0.5f : 0.0f;
    const float x = getParameter(tag::RibbonValue);
    if (std::fabs(x - target) < 0.001f) {
        ribbonSpringActive = 0;
        ribbonSpringRate = 0.0f;
        return;
    }
    ribbonPosition = x;
    if (n == kSpringInstant) {
        // One update reaches the rest; within 0.01 of it the spring stays armed at rate 0.
        if (x > target - 0.01f && x < target + 0.01f)
            ribbonSpringRate = 0.0f;
        else
            ribbonSpringRate = x < target - 0.001f ? 1.0f : -1.0f;
        return;
    }
    const double tempoNow = tempoDouble > 0.1 ? tempoDouble : 0.1;
    const double wholeNote = 240.0 * engineRateDouble / tempoNow;
    const double samples = RIBBON_SPRING_TIME_ARRAY[n] * wholeNote;
    ribbonSpringRate = samples > 0.0 ? static_cast<float>((target - x) * 16.0 / samples) : 0.0f;
}

void APlugin::updateRibbon() {
    if (engineRequests.load(std::memory_order_relaxed) & kRequestRibbonSpring)
        serveRibbonSpringRequest(
            engineRequests.fetch_and(~uint32_t{kRequestRibbonSpring}, std::memory_order_acquire));
    const bool bipolar = getOnOff(tag::RibbonBipolarOn);
    if (std::fabs(ribbonSpringRate) < 1e-6f) {
        ribbonSpringActive = 0;
    } else if (ribbonSpringActive) {
        const float target = bipolar ? 0.5f : 0.0f;
        float position =
            ribbonPosition + std::exp2(2.0f * globalDest[dest::RibbonSpeed]) * ribbonSpringRate;
        const bool arrived = ribbonSpringRate > 0.0f ? position >= target : position <= target;
        if (arrived || !(position == position)) {
            position = target;
            ribbonSpringActive = 0;
        }
        ribbonPosition = position;
        setParameter(tag::RibbonValue, position);
    }

    float x = currentValues[tag::RibbonValue];
    if (bipolar) x = clampBipolar(2.0f * x - 1.0f);
    const int q = RIBBON_QUANT_DIVIDE[getRibbonQuant() % 13];
    if (q != 0) x = std::floor(x * static_cast<float>(q) + 0.5f) / static_cast<float>(q);
    const float c = 0.9f + 0.1f * (1.0f - std::exp2(-10.0f * globalDest[dest::RibbonSmooth]));
    // ribbonTarget holds the smoothed ribbon value.
    ribbonTarget = c * ribbonTarget + (1.0f - c) * x + 1e-15f;
    lastVoiceSource[src::Ribbon] = clampBipolar(ribbonTarget + globalDest[dest::RibbonValue]);
    for (int i = 0; i < activeVoiceCount; ++i) {
        const int v = activeVoices[i] & 15;
        voiceSource[v][src::Ribbon] = clampBipolar(ribbonTarget + voiceDest[v][dest::RibbonValue]);
    }
}
