// The installed runtimes that the system lists.
#pragma once

#include <string>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

// The installed runtimes, filtered by the version limits and ordered by the
// search preferences; true with the home of the chosen one.
bool registry_search_and_selection(platform::System& system, const Messages& messages,
                                   const LauncherState& state, std::string& runtime_home,
                                   VersionRecord& selected_version);

} // namespace embark
