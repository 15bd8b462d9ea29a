#include "runtime/installed_runtimes.h"

#include <algorithm>

#include "runtime/probing.h"

namespace embark {

namespace {

using Format = platform::MachineType::Format;
constexpr auto jdk = RuntimeKind::development_kit;
constexpr auto jre = RuntimeKind::runtime_environment;
constexpr auto classic = SourceGroup::classic;
constexpr auto modern = SourceGroup::modern;
constexpr auto subkeys = SourceLayout::version_subkeys;
constexpr auto installers = SourceLayout::installer_subkeys;
constexpr auto javasoft = VendorFamily::javasoft;
constexpr auto named = VersionFrom::entry_name_else_release_file;
constexpr auto machine = RegistryRoots::local_machine;
constexpr auto machine_then_user = RegistryRoots::local_machine_then_current_user;

// The installers of the distributions write {JDK,JRE}\<version>\<vm>\{MSI,EXE}
// below a key of their own, the home in "Path".
constexpr InstalledRuntimeSource distribution(const char* key, RuntimeKind kind) {
    return InstalledRuntimeSource(modern, installers, key, kind, nullptr, javasoft, "Path", named,
                                  machine_then_user, false, Format::pe);
}

constexpr InstalledRuntimeSource sources[] = {
    // Classic: the keys that the launcher has always read, and on Linux the
    // distribution's folder of runtimes in the place of the JavaSoft runtime key.
    {classic, subkeys, "Software\\JavaSoft\\Java Development Kit\\", jdk, nullptr, javasoft, "JavaHome",
     VersionFrom::entry_name, machine, false, Format::pe},
    {classic, subkeys, "Software\\JavaSoft\\Java Runtime Environment\\", jre, nullptr, javasoft, "JavaHome",
     VersionFrom::entry_name, machine, true, Format::pe},
    {classic, SourceLayout::runtime_folders, "/usr/lib/jvm", jre, nullptr, javasoft, nullptr,
     VersionFrom::release_file, machine, true, Format::elf},
    {classic, subkeys, "Software\\JRockit\\Java Runtime Environment\\", jre, nullptr, VendorFamily::jrockit,
     "JavaHome", VersionFrom::entry_name, machine, false, Format::pe},
    {classic, subkeys, "Software\\JRockit\\Java Development Kit\\", jdk, nullptr, VendorFamily::jrockit,
     "JavaHome", VersionFrom::entry_name, machine, false, Format::pe},
    // Modern: what current installers write.
    {modern, SourceLayout::environment_variable, "JAVA_HOME", jdk, nullptr, javasoft, nullptr,
     VersionFrom::release_file, machine, false, Format::unknown},
    {modern, subkeys, "SOFTWARE\\JavaSoft\\JDK\\", jdk, nullptr, javasoft, "JavaHome", named, machine, false,
     Format::pe},
    {modern, subkeys, "SOFTWARE\\JavaSoft\\JRE\\", jre, nullptr, javasoft, "JavaHome", named, machine, false,
     Format::pe},
    distribution("SOFTWARE\\Eclipse Adoptium\\JDK\\", jdk),
    distribution("SOFTWARE\\Eclipse Adoptium\\JRE\\", jre),
    distribution("SOFTWARE\\AdoptOpenJDK\\JDK\\", jdk),
    distribution("SOFTWARE\\AdoptOpenJDK\\JRE\\", jre),
    distribution("SOFTWARE\\Eclipse Foundation\\JDK\\", jdk),
    distribution("SOFTWARE\\Eclipse Foundation\\JRE\\", jre),
    distribution("SOFTWARE\\Microsoft\\JDK\\", jdk),
    distribution("SOFTWARE\\Microsoft\\JRE\\", jre),
    distribution("SOFTWARE\\Semeru\\JDK\\", jdk),
    distribution("SOFTWARE\\Semeru\\JRE\\", jre),
    {modern, subkeys, "SOFTWARE\\Azul Systems\\Zulu\\", jdk, "-jre", javasoft, "InstallationPath", named,
     machine_then_user, false, Format::pe},
    {modern, subkeys, "SOFTWARE\\BellSoft\\Liberica\\", jdk, "jre", javasoft, "InstallationPath", named,
     machine_then_user, false, Format::pe},
    {modern, subkeys, "SOFTWARE\\SapMachine\\JDK\\", jdk, nullptr, javasoft, "JavaHome", named,
     machine_then_user, false, Format::pe},
};

// JAVA_VERSION="17.0.2" of a runtime's release file; empty when there is none.
std::string release_version(platform::System& system, const std::string& home) {
    return std::string(java_version_in_release(system.files.read_start(home + "release", 64 * 1024)));
}

} // namespace

std::string_view java_version_in_release(std::string_view text) {
    static constexpr std::string_view key = "JAVA_VERSION=";
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.starts_with(key)) {
            continue;
        }
        line.remove_prefix(key.size());
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
            line = line.substr(1, line.size() - 2);
        }
        return line;
    }
    return {};
}

namespace {

std::vector<std::string> subkey_names(platform::RegistryKey& key) {
    std::vector<std::string> names;
    for (uint32_t index = 0; std::optional<std::string> name = key.subkey_name(index); ++index) {
        names.push_back(std::move(*name));
    }
    return names;
}

// Where a runtime was found, in two pieces: put together only for the trace.
struct Origin {
    std::string_view first;
    std::string_view second;
    std::string text() const { return std::string(first).append(second); }
};

class Scan {
public:
    Scan(platform::System& system, const Trace& trace, const RuntimeRequest& request)
        : system_(system), trace_(trace), request_(request) {}

    void search(const InstalledRuntimeSource& source) {
        const SearchPreferences& preferences = request_.preferences;
        if ((source.format != Format::unknown && source.format != system_.machine.format) ||
            !preferences.searches(source.vendor) ||
            (source.runtime_name_marker == nullptr && !preferences.searches(source.kind))) {
            return;
        }
        switch (source.layout) {
        case SourceLayout::environment_variable:
            if (std::optional<std::string> home = system_.environment.get(source.location);
                home && !home->empty()) {
                const std::string variable = std::string(source.location) + '=';
                consider_home(source, source.kind, {variable, *home}, *home, {});
            }
            break;
        case SourceLayout::runtime_folders: {
            std::vector<std::string> names = system_.files.subfolder_names(source.location);
            std::sort(names.begin(), names.end()); // a stable order, as the registry's
            for (const std::string& name : names) {
                std::string home = source.location + (system_.paths.separator + name);
                consider_home(source, source.kind, {home, {}}, home, {});
            }
            break;
        }
        default:
            search_registry(source, platform::RegistryRoot::local_machine);
            if (source.roots == RegistryRoots::local_machine_then_current_user) {
                search_registry(source, platform::RegistryRoot::current_user);
            }
        }
    }

    std::vector<RuntimeCandidate> candidates;
    std::string other_machine_library; // the first passed over for its processor

private:
    void search_registry(const InstalledRuntimeSource& source, platform::RegistryRoot root) {
        std::unique_ptr<platform::RegistryKey> key = system_.registry.open(root, source.location);
        if (!key) {
            return;
        }
        const char* root_name = root == platform::RegistryRoot::local_machine ? "HKLM\\" : "HKCU\\";
        for (const std::string& name : subkey_names(*key)) {
            const std::string entry = source.location + name;
            const RuntimeKind kind = source.runtime_name_marker != nullptr &&
                    name.find(source.runtime_name_marker) != std::string::npos
                ? jre
                : source.kind;
            std::optional<VersionRecord> version;
            VersionRecord named_version;
            if (parse_version(name, minimum_fill, system_.code_page, named_version) ||
                source.version_from == VersionFrom::entry_name) {
                version = named_version;
            }
            if (!request_.preferences.searches(kind)) {
                pass_over({root_name, entry}, version, "not of the kind that \"JVM Source\" asks for");
            } else if (version && !within_range(*version)) {
                pass_over({root_name, entry}, version, "outside the version range"); // never opened
            } else if (source.layout == SourceLayout::version_subkeys) {
                read_home(source, kind, root, entry, root_name, version);
            } else {
                for (const std::string& installer : installer_entries(root, entry)) {
                    read_home(source, kind, root, installer, root_name, version);
                }
            }
        }
    }

    // <entry>\<vm>\MSI and <entry>\<vm>\EXE, for every virtual machine below the entry.
    std::vector<std::string> installer_entries(platform::RegistryRoot root, const std::string& entry) {
        std::vector<std::string> entries;
        if (std::unique_ptr<platform::RegistryKey> key = system_.registry.open(root, entry)) {
            for (const std::string& vm : subkey_names(*key)) {
                entries.push_back(entry + '\\' + vm + "\\MSI");
                entries.push_back(entry + '\\' + vm + "\\EXE");
            }
        }
        return entries;
    }

    void read_home(const InstalledRuntimeSource& source, RuntimeKind kind, platform::RegistryRoot root,
                   const std::string& entry, const char* root_name,
                   const std::optional<VersionRecord>& version) {
        std::unique_ptr<platform::RegistryKey> key = system_.registry.open(root, entry);
        std::optional<std::string> data = key ? key->value(source.home_value) : std::nullopt;
        if (data && !data->empty()) {
            consider_home(source, kind, {root_name, entry}, data->substr(0, data->find('\0')), version);
        } else if (key) {
            pass_over({root_name, entry}, version, "no runtime folder in its value");
        }
    }

    void consider_home(const InstalledRuntimeSource& source, RuntimeKind kind, const Origin& origin,
                       std::string home, std::optional<VersionRecord> version) {
        const char separator = system_.paths.separator;
        if (home.empty() || home.back() != separator) {
            home.push_back(separator);
        }
        if (!version) {
            version.emplace();
            if (!parse_version(release_version(system_, home), minimum_fill, system_.code_page, *version)) {
                pass_over(origin, std::nullopt, home, "no version in its release file");
                return;
            }
            if (!within_range(*version)) {
                pass_over(origin, version, "outside the version range");
                return;
            }
        }
        // The runtime of a Development Kit is its jre folder, or, from Java 9
        // on, which has none, its own home.
        JvmType jvm_type = source.plain_probe_order && request_.jvm_type == JvmType::favor_server
            ? JvmType::any
            : request_.jvm_type;
        std::string runtime_home = kind == jdk ? home + "jre" + separator : home;
        VmLibrary library = find_vm_library(system_, runtime_home, jvm_type);
        if (library.path.empty() && kind == jdk) {
            std::string other_machine_path = std::move(library.other_machine_path);
            runtime_home = home;
            library = find_vm_library(system_, runtime_home, jvm_type);
            if (library.other_machine_path.empty()) {
                library.other_machine_path = std::move(other_machine_path);
            }
        }
        if (library.path.empty() && !library.other_machine_path.empty()) {
            if (other_machine_library.empty()) {
                other_machine_library = library.other_machine_path;
            }
            pass_over(origin, version, "VM library built for another processor");
            return;
        }
        if (library.path.empty()) {
            pass_over(origin, version, home, "no VM library of the requested type");
            return;
        }
        RuntimeCandidate& candidate = candidates.emplace_back();
        candidate.version = *version;
        candidate.runtime_home = std::move(runtime_home);
        candidate.has_server_vm = library.is_server;
        candidate.favoured = request_.preferences.favours(kind, source.vendor);
        if (trace_) {
            trace_.line("runtime %s (version %s) in %s: fits",
                        {origin.text(), format_version(candidate.version), candidate.runtime_home});
        }
    }

    bool within_range(const VersionRecord& version) const {
        return version_within_range(version, request_.minimum_version, request_.maximum_version);
    }

    void pass_over(const Origin& origin, const std::optional<VersionRecord>& version,
                   const char* reason) const {
        if (trace_) {
            trace_.line("runtime %s (version %s): passed over, %s",
                        {origin.text(), version ? format_version(*version) : "unknown", reason});
        }
    }

    // A folder that is gone is said so: uninstalls leave their keys behind.
    void pass_over(const Origin& origin, const std::optional<VersionRecord>& version, const std::string& home,
                   const char* reason) const {
        if (trace_) {
            bool gone = !system_.files.entry_exists(home.substr(0, home.size() - 1));
            pass_over(origin, version, gone ? "folder gone" : reason);
        }
    }

    platform::System& system_;
    const Trace& trace_;
    const RuntimeRequest& request_;
};

// Orders the candidates and gives the index of the pick; `preferred` tells
// whether a preferred version decided it.
size_t pick_index(std::vector<RuntimeCandidate>& candidates,
                  const std::vector<std::string>& preferred_versions, bool both_kinds_accepted,
                  JvmType jvm_type, const platform::CodePage& code_page, bool& preferred) {
    order_candidates(candidates, both_kinds_accepted, jvm_type);
    preferred = true;
    for (const std::string& piece : preferred_versions) {
        VersionRecord wanted;
        parse_version(piece, minimum_fill, code_page, wanted);
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (version_matches_preferred(candidates[i].version, wanted)) {
                return i;
            }
        }
    }
    preferred = false;
    return 0;
}

} // namespace

std::span<const InstalledRuntimeSource> installed_runtime_sources() {
    return sources;
}

namespace {

Scan scan_group(platform::System& system, const Trace& trace, const RuntimeRequest& request,
                SourceGroup group, std::span<const InstalledRuntimeSource> sources) {
    Scan scan(system, trace, request);
    for (const InstalledRuntimeSource& source : sources) {
        if (source.group == group) {
            scan.search(source);
        }
    }
    return scan;
}

} // namespace

std::vector<RuntimeCandidate> scan_installed_runtimes(platform::System& system, const Trace& trace,
                                                      const RuntimeRequest& request, SourceGroup group,
                                                      std::span<const InstalledRuntimeSource> sources) {
    return scan_group(system, trace, request, group, sources).candidates;
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
    bool preferred;
    size_t pick =
        pick_index(candidates, preferred_versions, both_kinds_accepted, jvm_type, code_page, preferred);
    return std::move(candidates[pick]);
}

bool installed_runtime_search(platform::System& system, const Trace& trace, const RuntimeRequest& request,
                              SourceGroup group, std::string& runtime_home, VersionRecord& selected_version,
                              std::string& other_machine_library) {
    Scan scan = scan_group(system, trace, request, group, installed_runtime_sources());
    std::vector<RuntimeCandidate>& candidates = scan.candidates;
    if (other_machine_library.empty()) {
        other_machine_library = std::move(scan.other_machine_library);
    }
    if (candidates.empty()) {
        trace.line("%s installed runtimes: none fits",
                   {group == SourceGroup::classic ? "classic" : "modern"});
        return false;
    }
    bool preferred;
    size_t pick = pick_index(candidates, request.preferred_versions, request.preferences.both_kinds_accepted,
                             request.jvm_type, system.code_page, preferred);
    if (trace) {
        for (size_t i = 0; i < candidates.size(); ++i) {
            const char* verdict = i == pick ? "taken"
                : preferred                 ? "passed over, not preferred"
                                            : "passed over, ordered after the one taken";
            trace.line("runtime in %s (version %s): %s",
                       {candidates[i].runtime_home, format_version(candidates[i].version), verdict});
        }
    }
    runtime_home = candidates[pick].runtime_home;
    selected_version = candidates[pick].version;
    return true;
}

} // namespace embark
