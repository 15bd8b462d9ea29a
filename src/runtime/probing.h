// Which virtual machine library lies below a runtime folder, and whether a
// private runtime ships beside the executable.
#pragma once

#include <string>

#include "core/messages.h"
#include "platform/system.h"
#include "runtime/runtime_request.h"

namespace embark {

struct VmLibrary {
    std::string path; // empty when the folder holds none
    bool is_server = false;
    // When there is none: the first library probed that is built for another
    // machine than this build's, so that the user can be told why it was not taken.
    std::string other_machine_path;
};

// Probes below `runtime_home` (a folder ending in a separator, or empty for
// the current directory) in the order the JVM type asks for; a library built
// for another machine than this build's counts as none.
VmLibrary find_vm_library(platform::System& system, const std::string& runtime_home, JvmType jvm_type);

// The runtime home of a remembered folder: the folder with a separator appended.
std::string remembered_runtime_home(const std::string& folder, char separator);

// A runtime beside the executable (its folder, or its "jre" subfolder, holds
// the runtime's own library). True whenever the executable path is known,
// possibly with an empty runtime home.
bool private_runtime_search(platform::System& system, const Messages& messages, std::string& runtime_home);

} // namespace embark
