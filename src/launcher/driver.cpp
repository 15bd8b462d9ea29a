#include "launcher/driver.h"

#include "launcher/command_line.h"
#include "core/executable.h"
#include "launcher/settings.h"
#include "modes/service.h"
#include "modes/single_instance.h"
#include "runtime/installed_runtimes.h"
#include "runtime/probing.h"
#include "ui/missing_runtime_dialog.h"
#include "vm/java_vm.h"

namespace embark {

namespace {

// Writes the runtime folder chosen in the dialog where the next start reads it
// (never a service's: a service shows no dialog).
void remember_runtime_folder(platform::System& system, const Messages& messages, const LauncherState& state,
                             const std::string& runtime_home) {
    std::string local_file;
    if (!settings_file_path(system, messages, local_file)) {
        return;
    }
    std::string target = local_file;
    if (std::optional<std::string> app_data = system.process.application_data_folder()) {
        target = per_user_settings_file_path(system, messages, state, *app_data, true);
    }
    if (!target.empty()) {
        system.profiles.write(target, section::java_runtime, key::jre_path, runtime_home);
    }
}

// Whether the settings file is missing or has no name, so that the process
// may be a service although the settings do not say so. Silent: a missing
// executable path has been reported already.
bool settings_unknown(platform::System& system) {
    std::string file;
    platform::Expected<std::string> executable = system.process.executable_path();
    return executable &&
        (!settings_file_path_for(*executable, system.paths, system.code_page, file) ||
         !system.files.entry_exists(file));
}

} // namespace

bool initialise(platform::System& system, MissingRuntimeWindows& windows, const Messages& messages,
                LauncherState& state) {
    build_argument_list(system, state.arguments);
    // The gate reads its two settings before the rest of the file.
    std::string settings_file;
    if (!settings_file_path(system, messages, settings_file)) {
        return false;
    }
    GateSettings gate_settings = read_gate_settings(system, settings_file);
    if (!gate_check(system, gate_settings, state.arguments, state.vm.presence(), state.gate)) {
        return false;
    }
    if (single_instance_requested(gate_settings)) {
        messages.trace().line("single instance: %s",
                              {!state.gate.active ? "no channel to other starts, this one runs on its own"
                                   : state.gate.first_instance ? "the first instance, serving later starts"
                                                               : "the arguments went to the first instance"});
    }
    if (state.gate.is_second_instance()) {
        return true;
    }
    if (!load_settings(system, messages, settings_file, state)) {
        return false;
    }
    set_forwarding_class(state.gate, state.vm_settings.main_class);
    if (state.override_working_directory) {
        apply_working_directory_override(system, messages);
    }

    // Runtime discovery: the first source whose folder holds a VM library wins.
    const Trace& trace = messages.trace();
    std::string other_machine_library; // the first passed over, for the hint when none fits
    auto take_library_below = [&](const char* source, const std::string& runtime_home) {
        VmLibrary library = find_vm_library(system, runtime_home, state.runtime.jvm_type);
        if (trace) {
            trace.line("%s %s: %s%s",
                       {source, runtime_home.empty() ? "(the current directory)" : runtime_home,
                        library.path.empty() && !library.other_machine_path.empty()
                            ? "no VM library for this processor, passed over "
                            : "",
                        !library.path.empty()                    ? library.path
                            : library.other_machine_path.empty() ? std::string("no VM library")
                                                                 : library.other_machine_path});
        }
        state.vm_library_path = std::move(library.path);
        if (other_machine_library.empty()) {
            other_machine_library = std::move(library.other_machine_path);
        }
        return !state.vm_library_path.empty();
    };
    std::string runtime_home;
    if (!state.remembered_runtime_folder.empty()) {
        runtime_home = remembered_runtime_home(state.remembered_runtime_folder, system.paths.separator);
        if (take_library_below("remembered runtime folder", runtime_home)) {
            return true;
        }
    }
    if (private_runtime_search(system, messages, runtime_home) &&
        take_library_below("private runtime beside the executable", runtime_home)) {
        return true;
    }
    for (SourceGroup group : {SourceGroup::classic, SourceGroup::modern}) {
        // Read only now: a start that the classic sources serve pays nothing for the key.
        if (group == SourceGroup::modern &&
            !modern_runtime_search_from(
                read_setting(system, settings_file, section::java_runtime, key::modern_search),
                system.code_page)) {
            break;
        }
        if (installed_runtime_search(system, trace, state.runtime, group, runtime_home,
                                     state.selected_runtime_version, other_machine_library) &&
            take_library_below("installed runtime", runtime_home)) {
            return true;
        }
    }

    std::string message = missing_runtime_message(messages, state.runtime);
    RuntimeChoice choice;
    if (show_missing_runtime_dialog(system, windows, messages, message, state.runtime.jvm_type,
                                    !state.service, choice) != dialog_ok) {
        if (!other_machine_library.empty()) {
            messages.print_hint(MessageId::library_for_other_processor, {other_machine_library});
        }
        return false;
    }
    state.vm_library_path = choice.vm_library_path;
    remember_runtime_folder(system, messages, state, choice.runtime_home);
    return true;
}

int run_step(platform::System& system, const Messages& messages, LauncherState& state) {
    if (state.gate.is_second_instance()) {
        return wait_for_first_instance(state.gate);
    }
    prepare_environment(system, state.vm_settings, state.vm_library_path, state.vm_options);
    if (!state.vm.load(system, messages, state.vm_library_path)) {
        return exit_failure_code;
    }
    messages.trace().line("VM library loaded: %s", {state.vm_library_path});
    if (!assemble_options(system, messages, state.vm_settings, state.vm_options)) {
        return exit_failure_code;
    }
    state.startup_cache.prepare(
        system, messages.trace(),
        {state.vm_settings.startup_cache, state.vm_library_path, state.vm_settings.main_class},
        state.vm_options);
    if (const Trace& trace = messages.trace()) {
        for (const std::string& option : state.vm_options.options) {
            trace.line("VM option %s", {shortened(option, system.code_page)});
        }
        trace.line("main class %s", {state.vm_settings.main_class});
    }
    JavaMain main{state.vm_settings, state.arguments};
    return run_java_thread(system, messages, state.vm, state.vm_options, main) == 0 ? 0 : exit_failure_code;
}

void teardown(LauncherState& state) {
    state.vm.destroy();
    state.startup_cache.finish();
    if (state.gate.active) {
        gate_teardown(state.gate);
    }
    // The strings and lists go with the state itself.
}

int run_launcher(platform::System& system, MissingRuntimeWindows& windows) {
    Messages messages(system);
    LauncherState state;
    system.process.use_system_default_locale();

    int exit_code;
    bool initialised = initialise(system, windows, messages, state);
    if (initialised && !state.service) {
        exit_code = run_step(system, messages, state);
    } else if (initialised || state.service || settings_unknown(system)) {
        // A service that failed to start says so to the manager; without
        // settings only the dispatcher can tell whether this is a service.
        ServiceContext service{};
        if (initialised) {
            service.run_step = [&](const std::vector<std::string>& service_arguments) {
                state.arguments.insert(state.arguments.end(), service_arguments.begin(),
                                       service_arguments.end());
                int code = run_step(system, messages, state);
                // The service has stopped once the application's last thread has:
                // until then a stop request still reaches it.
                state.vm.destroy();
                return code;
            };
        }
        messages.trace().line("service: %s",
                              {initialised ? "handed to the service control manager"
                                           : "the failed start is said to the service control manager"});
        service.machine = state.vm.presence();
        service.main_class = state.vm_settings.main_class;
        exit_code = prepare_service(system, messages, service)
            ? run_service_dispatcher(system, messages, service)
            : exit_failure_code;
    } else {
        exit_code = exit_failure_code;
    }
    teardown(state);
    system.console.show_held_lines();
    return exit_code;
}

} // namespace embark
