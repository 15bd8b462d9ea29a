#include "runtime/discovery.h"

namespace embark {

// Seam: the registry search and runtime selection arrive with the version rules' users.
bool registry_search_and_selection(platform::System&, const Messages&, const LauncherState&,
                                   std::string& runtime_home, VersionRecord&) {
    runtime_home.clear();
    return false;
}

} // namespace embark
