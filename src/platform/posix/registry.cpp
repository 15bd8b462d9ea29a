// On Linux the runtimes installed in one folder (Debian's /usr/lib/jvm) take
// the registry's place: each folder there that is not a link is one entry
// below the JavaSoft "Java Runtime Environment" key, named by the
// JAVA_VERSION of its release file, with the folder as its "JavaHome". Of
// several folders of one version, the entry is the first that holds a VM library.
#include <dirent.h>
#include <algorithm>
#include <sys/stat.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/posix/posix_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform::posix {

namespace {

constexpr std::string_view runtime_key = "Software\\JavaSoft\\Java Runtime Environment";

// JAVA_VERSION="17.0.2" of a runtime's release file; empty when there is none.
std::string release_version(const std::string& home) {
    UniqueFile file(std::fopen((home + "/release").c_str(), "rb"));
    if (!file) {
        return {};
    }
    char line[4096];
    static constexpr std::string_view key = "JAVA_VERSION=";
    while (std::fgets(line, sizeof line, file.get()) != nullptr) {
        std::string_view text(line);
        if (text.substr(0, key.size()) != key) {
            continue;
        }
        text.remove_prefix(key.size());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
            text = text.substr(1, text.size() - 2);
        }
        return std::string(text);
    }
    return {};
}

// Whether a VM library lies where the runtime probe looks: lib/<kind>/libjvm.so.
bool holds_vm_library(const std::string& home) {
    const std::string lib = home + "/lib/";
    UniqueDirectory directory(::opendir(lib.c_str()));
    if (!directory) {
        return false;
    }
    while (const dirent* entry = ::readdir(directory.get())) {
        struct stat status;
        if (::stat((lib + entry->d_name + "/libjvm.so").c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            return true;
        }
    }
    return false;
}

using Installed = PosixRegistry::InstalledRuntime;

std::vector<Installed> installed_runtimes(const std::string& folder) {
    std::vector<Installed> runtimes;
    UniqueDirectory directory(::opendir(folder.c_str()));
    if (!directory) {
        return runtimes;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end()); // a stable order, as the registry's
    std::unordered_map<std::string, size_t> by_version;
    for (const std::string& name : names) {
        std::string home = folder + "/" + name;
        struct stat status;
        if (::lstat(home.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            continue; // links and files are no runtimes of their own
        }
        std::string version = release_version(home);
        if (std::none_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue; // no version to choose it by: no runtime
        }
        // Key names are unique: of the folders of one version, the entry leads
        // to the first that holds a VM library, so one without cannot hide it.
        auto [known, added] = by_version.try_emplace(version, runtimes.size());
        if (added) {
            runtimes.push_back({std::move(version), std::move(home)});
        } else if (!holds_vm_library(runtimes[known->second].home) && holds_vm_library(home)) {
            runtimes[known->second].home = std::move(home);
        }
    }
    return runtimes;
}

class RuntimeListKey final : public RegistryKey {
public:
    explicit RuntimeListKey(const std::vector<Installed>& runtimes) : runtimes_(runtimes) {}
    std::optional<std::string> subkey_name(uint32_t index) override {
        if (index >= runtimes_.size()) {
            return std::nullopt;
        }
        return runtimes_[index].version;
    }
    std::optional<std::string> value(const char*) override { return std::nullopt; }

private:
    std::vector<Installed> runtimes_;
};

class RuntimeEntryKey final : public RegistryKey {
public:
    explicit RuntimeEntryKey(std::string home) : home_(std::move(home)) {}
    std::optional<std::string> subkey_name(uint32_t) override { return std::nullopt; }
    std::optional<std::string> value(const char* name) override {
        if (std::string_view(name) != "JavaHome") {
            return std::nullopt;
        }
        return home_ + '\0'; // as the registry stores a string
    }

private:
    std::string home_;
};

} // namespace

const std::vector<Installed>& PosixRegistry::installed() {
    if (!installed_) {
        installed_ = installed_runtimes(folder_);
    }
    return *installed_;
}

std::unique_ptr<RegistryKey> PosixRegistry::open_local_machine(const std::string& path) {
    std::string_view rest(path);
    if (rest.substr(0, runtime_key.size()) != runtime_key) {
        return nullptr;
    }
    rest.remove_prefix(runtime_key.size());
    if (!rest.empty()) {
        if (rest.front() != '\\') {
            return nullptr; // another key whose name merely begins the same
        }
        rest.remove_prefix(1);
    }
    const std::vector<Installed>& runtimes = installed();
    if (rest.empty()) {
        return std::make_unique<RuntimeListKey>(runtimes);
    }
    for (const Installed& runtime : runtimes) {
        if (runtime.version == rest) {
            return std::make_unique<RuntimeEntryKey>(runtime.home);
        }
    }
    return nullptr;
}

} // namespace embark::platform::posix
