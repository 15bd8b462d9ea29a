// A small in-memory platform for the registry benchmark: a registry whose
// keys list their subkeys in a fixed order, a file system that is a set of
// paths, and inert stand-ins for everything else. Windows path conventions.
//
// Every lookup is a hash lookup and every subkey index is a vector index, so
// the platform adds a constant per call: what grows with the number of
// entries is the launcher's own work.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/system.h"

namespace embark::bench {

class InMemoryRegistry final : public platform::Registry {
public:
    struct Key {
        std::vector<std::string> subkeys; // in the order the key lists them
        std::unordered_map<std::string, std::string> values;
    };

    // Key paths without a trailing backslash, compared exactly.
    std::unordered_map<std::string, Key> keys;

    // Adds `name` below `parent` (creating both as needed) with a "JavaHome"
    // string value, stored with its terminating zero as the registry keeps it.
    void add_java_home(const std::string& parent, const std::string& name, const std::string& home) {
        keys[parent].subkeys.push_back(name);
        keys[parent + "\\" + name].values["JavaHome"] = home + std::string(1, '\0');
    }

    std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path) override {
        std::string_view normalised(path);
        while (!normalised.empty() && normalised.back() == '\\') {
            normalised.remove_suffix(1);
        }
        auto found = keys.find(std::string(normalised));
        if (found == keys.end()) {
            return nullptr;
        }
        return std::make_unique<OpenKey>(found->second);
    }

private:
    class OpenKey final : public platform::RegistryKey {
    public:
        explicit OpenKey(const Key& key) : key_(key) {}
        bool subkey_name(uint32_t index, std::string& name) override {
            if (index >= key_.subkeys.size()) {
                return false;
            }
            name = key_.subkeys[index];
            return true;
        }
        bool value(const char* name, std::string& data) override {
            auto found = key_.values.find(name);
            if (found == key_.values.end()) {
                return false;
            }
            data = found->second;
            return true;
        }

    private:
        const Key& key_;
    };
};

class InMemoryFileSystem final : public platform::FileSystem {
public:
    std::unordered_set<std::string> existing;

    bool entry_exists(const std::string& path) override { return existing.count(path) != 0; }
    void create_directory(const std::string& path) override { existing.insert(path); }
    void set_current_directory(const std::string&) override {}
};

// The rest of the platform: nothing the registry search touches, beyond the
// code page that the version parser asks about lead bytes.
class NoProfileFiles final : public platform::ProfileFiles {
public:
    std::string read(const std::string&, const char*, const char*) override { return {}; }
    bool write(const std::string&, const char*, const char*, const std::string&) override { return false; }
};

class NoEnvironment final : public platform::Environment {
public:
    std::optional<std::string> get(const char*) override { return std::nullopt; }
    bool set(const char*, const std::string&) override { return false; }
    std::optional<std::string> expand(const std::string& text) override { return text; }
};

class FixedProcess final : public platform::Process {
public:
    bool executable_path(std::string& path, unsigned long&) override {
        path = "C:\\Apps\\tool.exe";
        return true;
    }
    std::optional<std::string> command_line() override { return std::string("tool.exe"); }
    std::vector<std::string> argument_vector() override { return {}; }
    bool keeps_per_user_settings_file() override { return true; }
    void use_system_default_locale() override {}
};

// A single-byte code page.
class SingleByteCodePage final : public platform::CodePage {
public:
    bool is_lead_byte(unsigned char) const override { return false; }
};

class NoResources final : public platform::Resources {
public:
    std::string load_string(unsigned) override { return {}; }
};

class SilentConsole final : public platform::Console {
public:
    void write(std::string_view) override {}
};

class NoLibraries final : public platform::Libraries {
public:
    void* load(const std::string&, unsigned long& error) override {
        error = 126;
        return nullptr;
    }
    void* symbol(void*, const char*, unsigned long& error) override {
        error = 127;
        return nullptr;
    }
};

class CallingThreads final : public platform::Threads {
public:
    bool run_and_wait(uint32_t, Body body, void* argument, uint32_t& result) override {
        result = body(argument);
        return true;
    }
};

class FixedMemory final : public platform::Memory {
public:
    uint64_t total_physical() override { return uint64_t{2} << 30; }
    uint64_t available_virtual() override { return uint64_t{2} << 30; }
};

// Owns one of each part and the System that refers to them.
struct InMemorySystem {
    NoProfileFiles profiles;
    NoEnvironment environment;
    InMemoryFileSystem files;
    FixedProcess process;
    SingleByteCodePage code_page;
    NoResources resources;
    SilentConsole console;
    NoLibraries libraries;
    CallingThreads threads;
    FixedMemory memory;
    InMemoryRegistry registry;
    platform::System system{platform::PathConventions{'\\', ';', "Path", false},
                            platform::RuntimeLayout{"bin", "jvm.dll", "bin\\java.dll", false},
                            profiles, environment, files, process, code_page, resources, console,
                            libraries, threads, memory, registry, true};

    InMemorySystem() = default;
    InMemorySystem(const InMemorySystem&) = delete;
    InMemorySystem& operator=(const InMemorySystem&) = delete;
};

} // namespace embark::bench
