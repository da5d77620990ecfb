// Engine resets asked for by another thread than the render's: the editor's compare, init
// patch, menus and preview note queue a request bit, and the audio thread serves the bits at
// the start of its next block; with no render running (suspended host) the caller serves them
// itself. Called from every thread; served on the audio thread.
#include "engine/APlugin.h"

#include <pthread.h>

namespace {

unsigned long thisThread() {
    return static_cast<unsigned long>(pthread_self());
}

} // namespace

void APlugin::resume() {
    AudioEffectX::resume();
    renderRunning = true;
}

bool APlugin::deferToRender(uint32_t request) {
    if (!renderRunsElsewhere()) return false;
    engineRequests.fetch_or(request, std::memory_order_release);
    return true;
}

void APlugin::beginRenderBlock() {
    renderThread.store(thisThread(), std::memory_order_relaxed);
    renderRunning.store(true, std::memory_order_relaxed);
    serveEngineRequests();
}

void APlugin::serveEngineRequests() {
    if (engineRequests.load(std::memory_order_relaxed) == 0) return;
    const uint32_t requests = engineRequests.exchange(0, std::memory_order_acquire);
    // A reset includes everything off and voices off.
    if (requests & kRequestReset) {
        resetNow();
    } else if (requests & (kRequestEverythingOff | kRequestEverythingOffGlide)) {
        setEverythingOffNow((requests & kRequestEverythingOffGlide) != 0);
    } else if (requests & kRequestVoicesOff) {
        turnAllVoicesOffNow();
    }
    serveRibbonSpringRequest(requests);
    if (requests & kRequestPreview) {
        // The last wish of the editor counts: pressed plays (again), released ends it.
        if (previewWanted)
            previewNoteOn();
        else if (previewPlaying)
            previewNoteReleased();
    }
}

void APlugin::reset() {
    if (!deferToRender(kRequestReset)) resetNow();
}

void APlugin::setEverythingOff(bool resetGlide) {
    if (!deferToRender(resetGlide ? kRequestEverythingOffGlide : kRequestEverythingOff))
        setEverythingOffNow(resetGlide);
}

void APlugin::turnAllVoicesOff() {
    if (!deferToRender(kRequestVoicesOff)) turnAllVoicesOffNow();
}

void APlugin::setCountersForTesting(uint64_t start) {
    sampleCounter = sampleClock = reverbStage.reverbModCounter = start;
    for (uint64_t& stamp : voiceStartStamp) stamp = start;
    // The gater's position (32.32 steps) keeps its place in a 16-step pattern.
    gater.gaterPos = start & ~((uint64_t{16} << 32) - 1);
}
