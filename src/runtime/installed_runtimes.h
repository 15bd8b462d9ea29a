// The Java runtimes installed on the machine: the sources that list them
// (registry keys, an environment variable, a folder of runtimes), the scan
// over those sources, and the choice among what it finds.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/trace.h"
#include "platform/system.h"
#include "runtime/runtime_request.h"

namespace embark {

// The classic sources are searched first; the modern ones only when neither
// they nor any earlier source gave a runtime.
enum class SourceGroup : uint8_t { classic, modern };

// Where a source's candidates come from.
enum class SourceLayout : uint8_t {
    version_subkeys, // <key>\<name>, the home in a value of that subkey
    installer_subkeys, // <key>\<version>\<vm>\{MSI,EXE}, the home in a value of those
    environment_variable, // one home, the variable's value
    runtime_folders, // every folder in a folder, links left out, in byte order of the names
};

enum class VersionFrom : uint8_t {
    entry_name, // as the entry's name reads, even when it holds no digit
    entry_name_else_release_file, // the release file's JAVA_VERSION when the name holds no digit
    release_file, // JAVA_VERSION of the home's release file; a runtime without one is passed over
};

enum class RegistryRoots : uint8_t { local_machine, local_machine_then_current_user };

struct InstalledRuntimeSource {
    SourceGroup group;
    SourceLayout layout;
    const char* location; // a registry key ending in a backslash, a variable or a folder
    RuntimeKind kind;
    // An entry whose name holds this text is a runtime environment whatever `kind` says.
    const char* runtime_name_marker;
    VendorFamily vendor; // what "VM Provider" counts it as
    const char* home_value; // registry layouts: the value that holds the home
    VersionFrom version_from;
    RegistryRoots roots;
    bool plain_probe_order; // favor_server probes its runtimes client first all the same
    platform::MachineType::Format format; // only where runtimes are of this format; unknown: everywhere
};

// The sources of the search, in the order they are searched.
std::span<const InstalledRuntimeSource> installed_runtime_sources();

struct RuntimeCandidate {
    VersionRecord version;
    std::string runtime_home; // ends in a separator
    bool has_server_vm = false;
    bool favoured = false;
};

// Every accepted entry of the group's searched sources, in scanning order.
std::vector<RuntimeCandidate>
scan_installed_runtimes(platform::System& system, const Trace& trace, const RuntimeRequest& request,
                        SourceGroup group,
                        std::span<const InstalledRuntimeSource> sources = installed_runtime_sources());

// Stable: favoured first (only when both kinds are accepted), then with a
// server VM (only for favor_server), then the newest.
void order_candidates(std::vector<RuntimeCandidate>& candidates, bool both_kinds_accepted, JvmType jvm_type);

// The first ordered candidate that matches the earliest preferred version;
// without any match the first ordered candidate.
std::optional<RuntimeCandidate> pick_candidate(std::vector<RuntimeCandidate> candidates,
                                               const std::vector<std::string>& preferred_versions,
                                               bool both_kinds_accepted, JvmType jvm_type,
                                               const platform::CodePage& code_page);

// The scan of one group and the pick; false, with nothing changed, when no
// entry fits. A VM library passed over because it is built for another
// processor is noted in `other_machine_library` unless one is noted already.
bool installed_runtime_search(platform::System& system, const Trace& trace, const RuntimeRequest& request,
                              SourceGroup group, std::string& runtime_home, VersionRecord& selected_version,
                              std::string& other_machine_library);

// The JAVA_VERSION of a runtime's release file's text, without its quotes;
// empty when it has none.
std::string_view java_version_in_release(std::string_view release_text);

} // namespace embark
