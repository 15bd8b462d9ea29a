// The Java runtimes that the registry lists: the scan over the vendors' keys,
// and the choice among what it finds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"
#include "runtime/runtime_request.h"

namespace embark {

struct RuntimeCandidate {
    VersionRecord version;
    std::string runtime_home; // ends in a separator
    bool has_server_vm = false;
    bool favoured = false;
};

// Every accepted entry of the searched keys, in scanning order.
std::vector<RuntimeCandidate> scan_registry(platform::System& system, const RuntimeRequest& request);

// Stable: favoured first (only when both kinds are accepted), then with a
// server VM (only for favor_server), then the newest.
void order_candidates(std::vector<RuntimeCandidate>& candidates, bool both_kinds_accepted, JvmType jvm_type);

// The first ordered candidate that matches the earliest preferred version;
// without any match the first ordered candidate.
std::optional<RuntimeCandidate> pick_candidate(std::vector<RuntimeCandidate> candidates,
                                               const std::vector<std::string>& preferred_versions,
                                               bool both_kinds_accepted, JvmType jvm_type,
                                               const platform::CodePage& code_page);

// The scan and the pick; false, with nothing changed, when no entry fits.
bool registry_search_and_selection(platform::System& system, const RuntimeRequest& request,
                                   std::string& runtime_home, VersionRecord& selected_version);

} // namespace embark
