#include "runtime/registry_search.h"

#include <algorithm>

#include "runtime/probing.h"

namespace embark {

namespace {

enum class Kind { jdk, jre };
enum class Provider { javasoft, jrockit };

struct RegistrySource {
    const char* key; // ends in a backslash
    Kind kind;
    Provider provider;
};

constexpr RegistrySource registry_sources[] = {
    {"Software\\JavaSoft\\Java Development Kit\\", Kind::jdk, Provider::javasoft},
    {"Software\\JavaSoft\\Java Runtime Environment\\", Kind::jre, Provider::javasoft},
    {"Software\\JRockit\\Java Runtime Environment\\", Kind::jre, Provider::jrockit},
    {"Software\\JRockit\\Java Development Kit\\", Kind::jdk, Provider::jrockit},
};

bool kind_searched(const SearchPreferences& preferences, Kind kind) {
    return preferences.both_kinds_accepted ||
        (kind == Kind::jdk ? preferences.jdk_favoured : preferences.jre_favoured);
}

bool provider_searched(const SearchPreferences& preferences, Provider provider) {
    return provider == Provider::javasoft ? preferences.javasoft_accepted || preferences.javasoft_favoured
                                          : preferences.jrockit_accepted || preferences.jrockit_favoured;
}

bool favoured(const SearchPreferences& preferences, const RegistrySource& source) {
    bool kind = source.kind == Kind::jdk ? preferences.jdk_favoured : preferences.jre_favoured;
    bool provider =
        source.provider == Provider::javasoft ? preferences.javasoft_favoured : preferences.jrockit_favoured;
    return kind && provider;
}

// Opens one entry and accepts it when a VM library lies below its home.
std::optional<RuntimeCandidate> check_entry(platform::System& system, JvmType requested_type,
                                            const RegistrySource& source, const std::string& name) {
    std::unique_ptr<platform::RegistryKey> entry = system.registry.open_local_machine(source.key + name);
    if (!entry) {
        return std::nullopt;
    }
    std::optional<std::string> data = entry->value("JavaHome");
    if (!data || data->empty()) {
        return std::nullopt;
    }
    const char separator = system.paths.separator;
    std::string home = data->substr(0, data->find('\0'));
    if (home.empty() || home.back() != separator) {
        home.push_back(separator);
    }
    // The JavaSoft runtime entries are probed in the plain order under favor_server.
    JvmType jvm_type = requested_type;
    if (std::string_view(source.key) == "Software\\JavaSoft\\Java Runtime Environment\\" &&
        jvm_type == JvmType::favor_server) {
        jvm_type = JvmType::any;
    }
    std::string runtime_home = home;
    if (source.kind == Kind::jdk) {
        runtime_home = home + "jre" + separator;
    }
    VmLibrary library = find_vm_library(system, runtime_home, jvm_type);
    if (library.path.empty() && source.kind == Kind::jdk) {
        // A Development Kit of Java 9 or later has no jre folder: its own
        // home holds the VM library.
        runtime_home = home;
        library = find_vm_library(system, runtime_home, jvm_type);
    }
    if (library.path.empty()) {
        return std::nullopt;
    }
    RuntimeCandidate candidate;
    candidate.runtime_home = std::move(runtime_home);
    candidate.has_server_vm = library.is_server;
    return candidate;
}

} // namespace

std::vector<RuntimeCandidate> scan_registry(platform::System& system, const RuntimeRequest& request) {
    const SearchPreferences& preferences = request.preferences;
    std::vector<RuntimeCandidate> candidates;
    for (const RegistrySource& source : registry_sources) {
        if (!kind_searched(preferences, source.kind) || !provider_searched(preferences, source.provider)) {
            continue;
        }
        std::unique_ptr<platform::RegistryKey> key = system.registry.open_local_machine(source.key);
        if (!key) {
            continue;
        }
        std::vector<std::string> names;
        for (uint32_t index = 0; std::optional<std::string> name = key->subkey_name(index); ++index) {
            names.push_back(std::move(*name));
        }
        for (const std::string& entry_name : names) {
            VersionRecord version;
            parse_version(entry_name, minimum_fill, system.code_page, version);
            if (!version_within_range(version, request.minimum_version, request.maximum_version)) {
                continue; // never opened
            }
            if (std::optional<RuntimeCandidate> candidate =
                    check_entry(system, request.jvm_type, source, entry_name)) {
                candidate->version = version;
                candidate->favoured = favoured(preferences, source);
                candidates.push_back(std::move(*candidate));
            }
        }
    }
    return candidates;
}

void order_candidates(std::vector<RuntimeCandidate>& candidates, bool both_kinds_accepted, JvmType jvm_type) {
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                         if (both_kinds_accepted && a.favoured != b.favoured) {
                             return a.favoured;
                         }
                         if (jvm_type == JvmType::favor_server && a.has_server_vm != b.has_server_vm) {
                             return a.has_server_vm;
                         }
                         return compare_versions(a.version, b.version) > 0;
                     });
}

std::optional<RuntimeCandidate> pick_candidate(std::vector<RuntimeCandidate> candidates,
                                               const std::vector<std::string>& preferred_versions,
                                               bool both_kinds_accepted, JvmType jvm_type,
                                               const platform::CodePage& code_page) {
    if (candidates.empty()) {
        return std::nullopt;
    }
    order_candidates(candidates, both_kinds_accepted, jvm_type);
    for (const std::string& piece : preferred_versions) {
        VersionRecord preferred;
        parse_version(piece, minimum_fill, code_page, preferred);
        for (const RuntimeCandidate& candidate : candidates) {
            if (version_matches_preferred(candidate.version, preferred)) {
                return candidate;
            }
        }
    }
    return candidates.front();
}

bool registry_search_and_selection(platform::System& system, const RuntimeRequest& request,
                                   std::string& runtime_home, VersionRecord& selected_version) {
    std::optional<RuntimeCandidate> pick =
        pick_candidate(scan_registry(system, request), request.preferred_versions,
                       request.preferences.both_kinds_accepted, request.jvm_type, system.code_page);
    if (!pick) {
        return false;
    }
    runtime_home = pick->runtime_home;
    selected_version = pick->version;
    return true;
}

} // namespace embark
