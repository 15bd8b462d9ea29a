// Times, in-process, the registry search and the runtime selection against
// the system's own registry and file system: what the launcher does when
// neither a remembered folder nor a private runtime is there. bench/run.sh
// registers n runtimes in the registry of a Wine prefix before each run.
//
//   registry_search_bench_wine [runs]     (default 200)
//
// The state is the launcher's default with preferred versions {""}, as the
// settings load leaves it when the key is empty. Prints the number of
// candidates the scan accepts and the chosen runtime, the first (cold) run
// on its own, then median, p10 and p90 of the following runs in
// microseconds. It measures and prints, nothing more; the exit code is 1
// only when no runtime was found at all.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"
#include "runtime/registry_search.h"
#include "runtime/version.h"

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

// Nearest rank on sorted samples.
double percentile(const std::vector<double>& sorted, double fraction) {
    size_t rank = static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200;
    if (runs < 1) {
        std::fprintf(stderr, "usage: registry_search_bench_wine [runs]\n");
        return 2;
    }

    embark::platform::System& system = embark::platform::native_system();
    embark::Messages messages(system);
    embark::LauncherState state;
    state.preferred_versions = {""};

    std::string home;
    embark::VersionRecord version;
    Clock::time_point start = Clock::now();
    bool found = embark::registry_search_and_selection(system, messages, state, home, version);
    double first_us = microseconds(Clock::now() - start);
    if (!found) {
        std::fprintf(stderr, "registry_search_bench_wine: no runtime found in the registry\n");
        return 1;
    }
    size_t candidates = embark::scan_registry(system, state).size();

    // Warm-up, untimed: a tenth of the timed runs.
    for (long i = 0; i < runs / 10; ++i) {
        embark::registry_search_and_selection(system, messages, state, home, version);
    }

    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(runs));
    for (long i = 0; i < runs; ++i) {
        start = Clock::now();
        embark::registry_search_and_selection(system, messages, state, home, version);
        samples.push_back(microseconds(Clock::now() - start));
    }
    std::sort(samples.begin(), samples.end());

    std::printf("registry_search_bench_wine: registry search and selection, %ld runs\n", runs);
    std::printf("candidates: %zu, chosen: %s (%s)\n", candidates, home.c_str(),
                embark::format_version(version).c_str());
    std::printf("first run: %.1f us\n", first_us);
    std::printf("median: %.1f us  p10: %.1f us  p90: %.1f us\n", percentile(samples, 0.5),
                percentile(samples, 0.1), percentile(samples, 0.9));
    return 0;
}
