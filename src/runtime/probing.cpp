#include "runtime/probing.h"

#include "core/ansi_text.h"
#include "core/executable.h"
#include "runtime/library_machine.h"
#include "runtime/runtime_layout.h"

namespace embark {

namespace {

std::string probe_path(const platform::System& system, const char* vm_kind) {
    const char separator = system.paths.separator;
    const RuntimeLayout layout = runtime_layout_for(system.machine);
    std::string path(layout.library_folder);
    path.push_back(separator);
    path.append(vm_kind);
    path.push_back(separator);
    path.append(layout.library_file);
    return path;
}

// A library built for another machine cannot be loaded, so it counts as none.
// One whose machine cannot be told, or a build that cannot tell its own, gives
// the benefit of the doubt.
bool loadable_here(platform::System& system, const std::string& library) {
    platform::MachineType machine = library_machine(system.files.read_start(library, library_header_size));
    return machine.format == platform::MachineType::Format::unknown || system.machine.number == 0 ||
        machine == system.machine;
}

} // namespace

VmLibrary find_vm_library(platform::System& system, const std::string& runtime_home, JvmType jvm_type) {
    static const char* const server_only[] = {"server"};
    static const char* const server_first[] = {"server", "client", "classic", "hotspot", "jrockit"};
    static const char* const client_first[] = {"client", "classic", "hotspot", "server", "jrockit"};

    const char* const* kinds = client_first;
    size_t count = std::size(client_first);
    if (jvm_type == JvmType::server) {
        kinds = server_only;
        count = std::size(server_only);
    } else if (jvm_type == JvmType::favor_server) {
        kinds = server_first;
        count = std::size(server_first);
    }
    VmLibrary none;
    for (size_t i = 0; i < count; ++i) {
        std::string candidate = runtime_home + probe_path(system, kinds[i]);
        if (!system.files.entry_exists(candidate)) {
            continue;
        }
        if (loadable_here(system, candidate)) {
            return VmLibrary{candidate, std::string_view(kinds[i]) == "server", {}};
        }
        if (none.other_machine_path.empty()) {
            none.other_machine_path = std::move(candidate);
        }
    }
    return none;
}

std::string remembered_runtime_home(const std::string& folder, char separator) {
    std::string home = folder;
    if (!home.empty() && home.back() != separator) {
        home.push_back(separator);
    }
    return home;
}

bool private_runtime_search(platform::System& system, const Messages& messages, std::string& runtime_home) {
    std::string executable;
    if (!executable_path(system, messages, executable)) {
        return false;
    }
    const char separator = system.paths.separator;
    size_t last = find_last_char(executable, separator, system.code_page);
    std::string folder = last == std::string::npos ? std::string() : executable.substr(0, last + 1);
    std::string jre_folder = folder + "jre" + separator;
    const char* marker = runtime_layout_for(system.machine).private_marker;
    if (system.files.entry_exists(folder + marker)) {
        runtime_home = folder;
    } else if (system.files.entry_exists(jre_folder + marker)) {
        runtime_home = jre_folder;
    } else {
        runtime_home.clear();
    }
    return true;
}

} // namespace embark
