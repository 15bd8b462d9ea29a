// The one record per process that carries the settings of a start, the
// runtime choice, the virtual machine and the argument list. Each subsystem
// takes the piece of it that it needs.
#pragma once

#include <string>
#include <vector>

#include "modes/single_instance.h"
#include "runtime/runtime_request.h"
#include "vm/java_vm.h"
#include "vm/startup_cache.h"
#include "vm/vm_options.h"

namespace embark {

struct LauncherState {
    RuntimeRequest runtime; // what the settings ask of the Java runtime
    VmSettings vm_settings; // what they say about the machine's start
    std::string remembered_runtime_folder; // "JRE Path"
    std::string product_name;
    std::string product_code;
    bool service = false;
    bool override_working_directory = false;
    std::vector<std::string> arguments;

    std::string vm_library_path;
    VersionRecord selected_runtime_version;
    VmOptions vm_options;
    SingleInstanceGate gate;
    VmSession vm; // destroyed before the gate is torn down
    StartupCache startup_cache; // publishes once the machine has ended
};

} // namespace embark
