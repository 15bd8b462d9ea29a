// The registry search and the runtime selection against an in-memory
// registry and file system, with n installed runtimes: Google Benchmark
// times embark::installed_runtime_search (the classic sources) for several n and fits the
// growth of its cost (the Big-O and RMS rows).
//
// The runtimes are entries below "Software\JavaSoft\Java Runtime
// Environment", named 1.<i/100>.<i%100>_<i> (all distinct) and listed in the
// order of their names, which is not that of their versions (1.10 before
// 1.2), each with JavaHome C:\rt\<i> where bin\client\jvm.dll
// exists. The search opens every entry, reads its JavaHome and probes for
// the VM library (one probe each: the client library is the first looked
// for); the selection sorts the candidates, newest first, and walks them for
// the preferred versions.
//
// Benchmarks:
//   RegistrySearch/<n>                  preferred versions {""}, what the
//                                       settings load gives when the key is
//                                       empty: an empty piece names no
//                                       version, so the walk goes through
//                                       every candidate and takes the first.
//   RegistrySearchPreferredNone/<n>     three preferred versions, none of
//                                       them installed: three walks.
//
// The counter per_runtime is the time of one call divided by n.
// Measures and prints only.
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "fake_system.h"
#include "runtime/installed_runtimes.h"

namespace {

constexpr const char* runtime_key = "Software\\JavaSoft\\Java Runtime Environment";

std::string runtime_name(int64_t i) {
    return "1." + std::to_string(i / 100) + "." + std::to_string(i % 100) + "_" + std::to_string(i);
}

std::string runtime_folder(int64_t i) {
    return "C:\\rt\\" + std::to_string(i);
}

void install_runtimes(embark::testing::FakeSystem& platform, int64_t n) {
    for (int64_t i = 0; i < n; ++i) {
        platform.homes[std::string(runtime_key) + "\\" + runtime_name(i)] = runtime_folder(i);
        platform.existing.insert(runtime_folder(i) + "\\bin\\client\\jvm.dll");
    }
}

void search_and_select(benchmark::State& state, std::vector<std::string> preferred_versions) {
    const int64_t n = state.range(0);
    embark::testing::FakeSystem platform;
    platform.log_opens = false;
    install_runtimes(platform, n);
    const embark::Trace trace;
    embark::RuntimeRequest request;
    request.preferred_versions = std::move(preferred_versions);

    // The newest runtime is the one chosen; anything else means the setup is wrong.
    std::string home;
    embark::VersionRecord version;
    std::string other; // a library for another processor: none here
    if (!embark::installed_runtime_search(platform.system, trace, request, embark::SourceGroup::classic, home, version, other) ||
        home != runtime_folder(n - 1) + "\\") {
        state.SkipWithError("the search did not choose the newest runtime");
        return;
    }

    for (auto _ : state) {
        bool found = embark::installed_runtime_search(platform.system, trace, request, embark::SourceGroup::classic, home, version, other);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(home.data());
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(n);
    state.counters["per_runtime"] = benchmark::Counter(
        static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void RegistrySearch(benchmark::State& state) {
    search_and_select(state, {""});
}

void RegistrySearchPreferredNone(benchmark::State& state) {
    search_and_select(state, {"9.1", "9.2", "9.3"});
}

void runtime_counts(benchmark::internal::Benchmark* benchmark) {
    benchmark->RangeMultiplier(10)->Range(10, 1000)->Arg(30)->Arg(300)->Arg(3000);
    benchmark->Unit(benchmark::kMicrosecond)->Complexity();
}

} // namespace

BENCHMARK(RegistrySearch)->Apply(runtime_counts);
BENCHMARK(RegistrySearchPreferredNone)->Apply(runtime_counts);

BENCHMARK_MAIN();
