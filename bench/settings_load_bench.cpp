// Times, in-process, what the launcher does from its entry to the end of the
// settings load: the message catalogue and the state record, the locale, the
// argument list, the single-instance gate and the load of every key from the
// settings file beside this program (settings_load_bench.ini).
//
//   settings_load_bench [runs]     (default 2000)
//
// Prints the first (cold) run on its own, then median, p10 and p90 of the
// following runs in microseconds. It measures and prints, nothing more; the
// exit code is 1 only when the settings could not be loaded at all.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/command_line.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "launcher/settings.h"
#include "modes/service.h"
#include "modes/single_instance.h"
#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Outcome {
    bool loaded = false;
    std::string main_class;
    size_t preferred_versions = 0;
};

// One start, as run_launcher and initialise do it, up to the settings load.
Outcome start_until_settings_loaded() {
    embark::platform::System& system = embark::platform::native_system();
    embark::Messages messages(system);
    embark::LauncherState state;
    embark::ServiceContext service_context;
    embark::publish_service_context(&service_context);
    system.process.use_system_default_locale();

    Outcome outcome;
    embark::build_argument_list(system, state.arguments);
    if (embark::gate_check(system, messages, state)) {
        outcome.loaded = embark::load_settings(system, messages, state);
    }
    outcome.main_class = std::move(state.main_class);
    outcome.preferred_versions = state.preferred_versions.size();
    embark::publish_service_context(nullptr);
    return outcome;
}

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
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    if (runs < 1) {
        std::fprintf(stderr, "usage: settings_load_bench [runs]\n");
        return 2;
    }

    Clock::time_point start = Clock::now();
    Outcome first = start_until_settings_loaded();
    double first_us = microseconds(Clock::now() - start);
    if (!first.loaded) {
        std::fprintf(stderr, "settings_load_bench: the settings were not loaded "
                             "(is settings_load_bench.ini beside the program, with a Main Class?)\n");
        return 1;
    }

    // Warm-up, untimed: a tenth of the timed runs.
    for (long i = 0; i < runs / 10; ++i) {
        start_until_settings_loaded();
    }

    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(runs));
    size_t failures = 0;
    for (long i = 0; i < runs; ++i) {
        start = Clock::now();
        Outcome outcome = start_until_settings_loaded();
        samples.push_back(microseconds(Clock::now() - start));
        if (!outcome.loaded || outcome.main_class != first.main_class) {
            ++failures;
        }
    }
    std::sort(samples.begin(), samples.end());

    std::printf("settings_load_bench: start to end of settings load, %ld runs\n", runs);
    std::printf("main class: %s, preferred versions: %zu\n", first.main_class.c_str(),
                first.preferred_versions);
    std::printf("first run: %.1f us\n", first_us);
    std::printf("median: %.1f us  p10: %.1f us  p90: %.1f us\n", percentile(samples, 0.5),
                percentile(samples, 0.1), percentile(samples, 0.9));
    if (failures != 0) {
        std::printf("runs that did not load the settings: %zu\n", failures);
        return 1;
    }
    return 0;
}
