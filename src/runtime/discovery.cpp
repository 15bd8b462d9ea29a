#include "runtime/discovery.h"

namespace embark {

// Seam: runtime folder probing arrives with the VM hosting; until then no folder holds a library.
std::string vm_library_lookup(platform::System&, const std::string&, int32_t) {
    return {};
}

// Seam: see vm_library_lookup.
bool private_runtime_search(platform::System&, const Messages&, std::string& runtime_home) {
    runtime_home.clear();
    return false;
}

// Seam: the registry search and runtime selection arrive with the version rules' users.
bool registry_search_and_selection(platform::System&, const Messages&, const LauncherState&,
                                   std::string& runtime_home, VersionRecord&) {
    runtime_home.clear();
    return false;
}

} // namespace embark
