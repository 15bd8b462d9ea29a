// Where a Java runtime may come from: folders probed for their VM library, and
// the installed runtimes that the system lists.
#pragma once

#include <string>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

// The full path of the VM library below a runtime home (ending in a
// separator), chosen by JVM type; empty when the folder holds none.
std::string vm_library_lookup(platform::System& system, const std::string& runtime_home, int32_t jvm_type);

// A runtime shipped beside the executable. True whenever the executable path
// is known, possibly with an empty runtime home.
bool private_runtime_search(platform::System& system, const Messages& messages, std::string& runtime_home);

// The installed runtimes, filtered by the version limits and ordered by the
// search preferences; true with the home of the chosen one.
bool registry_search_and_selection(platform::System& system, const Messages& messages,
                                   const LauncherState& state, std::string& runtime_home,
                                   VersionRecord& selected_version);

} // namespace embark
