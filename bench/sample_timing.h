// The timing loop shared by the self-timing benchmark programs (they build
// for Windows too, so no benchmark library): a cold first run, an untimed
// warm-up of a tenth of the runs, then the timed runs, reported as median,
// p10 and p90 in microseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// Microseconds that one call of `run` takes.
template <typename Run>
double time_once(Run&& run) {
    Clock::time_point start = Clock::now();
    run();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The sorted times of `runs` calls, after the warm-up.
template <typename Run>
std::vector<double> time_runs(long runs, Run&& run) {
    for (long i = 0; i < runs / 10; ++i) {
        run();
    }
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(runs));
    for (long i = 0; i < runs; ++i) {
        samples.push_back(time_once(run));
    }
    std::sort(samples.begin(), samples.end());
    return samples;
}

// Nearest rank on sorted samples.
inline double percentile(const std::vector<double>& sorted, double fraction) {
    size_t rank = static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

inline void print_timing(double first_us, const std::vector<double>& sorted) {
    std::printf("first run: %.1f us\n", first_us);
    std::printf("median: %.1f us  p10: %.1f us  p90: %.1f us\n", percentile(sorted, 0.5),
                percentile(sorted, 0.1), percentile(sorted, 0.9));
}

} // namespace bench
