// Times, in-process, the registry search and the runtime selection against
// the system's own registry and file system: what the launcher does when
// neither a remembered folder nor a private runtime is there. bench/run.py
// registers n runtimes in the registry of a Wine prefix before each run.
//
//   registry_search_bench_wine [runs]     (default 200)
//
// The request is the launcher's default with preferred versions {""}, as the
// settings load leaves it when the key is empty. Prints the number of
// candidates the scan accepts and the chosen runtime, the first (cold) run
// on its own, then median, p10 and p90 of the following runs in
// microseconds. It measures and prints, nothing more; the exit code is 1
// only when no runtime was found at all.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system.h"
#include "runtime/installed_runtimes.h"
#include "runtime/version.h"
#include "sample_timing.h"

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200;
    if (runs < 1) {
        std::fprintf(stderr, "usage: registry_search_bench_wine [runs]\n");
        return 2;
    }

    embark::platform::System& system = embark::platform::native_system();
    const embark::Trace trace;
    embark::RuntimeRequest request;
    request.preferred_versions = {""};

    std::string home;
    embark::VersionRecord version;
    std::string other; // a library for another processor: none here
    bool found = false;
    double first_us = bench::time_once(
        [&] { found = embark::installed_runtime_search(system, trace, request, embark::SourceGroup::classic, home, version, other); });
    if (!found) {
        std::fprintf(stderr, "registry_search_bench_wine: no runtime found in the registry\n");
        return 1;
    }
    size_t candidates = embark::scan_installed_runtimes(system, trace, request, embark::SourceGroup::classic).size();

    std::vector<double> samples = bench::time_runs(
        runs, [&] { embark::installed_runtime_search(system, trace, request, embark::SourceGroup::classic, home, version, other); });

    std::printf("registry_search_bench_wine: registry search and selection, %ld runs\n", runs);
    std::printf("candidates: %zu, chosen: %s (%s)\n", candidates, home.c_str(),
                embark::format_version(version).c_str());
    bench::print_timing(first_us, samples);
    return 0;
}
