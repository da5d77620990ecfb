// The scenario list of the benchmark table and the thread clock it measures with. Benchmark
// thread only.
#include "bench/Scenarios.h"

#include <time.h>

namespace bench {

namespace {

std::vector<Scenario>& scenarioList() {
    static std::vector<Scenario> list;
    return list;
}

} // namespace

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

int addScenario(Scenario scenario) {
    scenarioList().push_back(std::move(scenario));
    return static_cast<int>(scenarioList().size());
}

const std::vector<Scenario>& scenarios() {
    return scenarioList();
}

} // namespace bench
