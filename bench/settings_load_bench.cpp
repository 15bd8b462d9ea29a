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
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/command_line.h"
#include "launcher/launcher_state.h"
#include "core/messages.h"
#include "launcher/settings.h"
#include "modes/service.h"
#include "modes/single_instance.h"
#include "core/string_table.h"
#include "platform/system.h"
#include "sample_timing.h"

namespace {

struct Outcome {
    bool loaded = false;
    std::string main_class;
    size_t preferred_versions = 0;
};

// One start, as run_launcher and initialise do it, up to the settings load.
Outcome start_until_settings_loaded() {
    embark::platform::System& system = embark::platform::native_system(embark::message_string_table());
    embark::Messages messages(system);
    embark::LauncherState state;
    system.process.use_system_default_locale();

    Outcome outcome;
    embark::build_argument_list(system, state.arguments);
    std::string file;
    if (embark::settings_file_path(system, messages, file)) {
        if (embark::gate_check(system, embark::read_gate_settings(system, file), state.arguments,
                               state.vm.presence(), state.gate)) {
            outcome.loaded = embark::load_settings(system, messages, file, state);
        }
    }
    outcome.main_class = std::move(state.vm_settings.main_class);
    outcome.preferred_versions = state.runtime.preferred_versions.size();
    return outcome;
}

} // namespace

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    if (runs < 1) {
        std::fprintf(stderr, "usage: settings_load_bench [runs]\n");
        return 2;
    }

    Outcome first;
    double first_us = bench::time_once([&] { first = start_until_settings_loaded(); });
    if (!first.loaded) {
        std::fprintf(stderr,
                     "settings_load_bench: the settings were not loaded "
                     "(is settings_load_bench.ini beside the program, with a Main Class?)\n");
        return 1;
    }

    size_t failures = 0;
    std::vector<double> samples = bench::time_runs(runs, [&] {
        Outcome outcome = start_until_settings_loaded();
        if (!outcome.loaded || outcome.main_class != first.main_class) {
            ++failures;
        }
    });

    std::printf("settings_load_bench: start to end of settings load, %ld runs\n", runs);
    std::printf("main class: %s, preferred versions: %zu\n", first.main_class.c_str(),
                first.preferred_versions);
    bench::print_timing(first_us, samples);
    if (failures != 0) {
        std::printf("runs that did not load the settings: %zu\n", failures);
        return 1;
    }
    return 0;
}
