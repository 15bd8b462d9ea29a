// An in-memory platform for the unit tests: every interface of
// platform/system.h, with state that a test sets up and inspects.
#pragma once

#include <bitset>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/environment_references.h"
#include "platform/system.h"

namespace embark::testing {

// Profile files as texts keyed by path, read and written with the same
// initialisation-file rules as the POSIX files.
class FakeProfileFiles final : public platform::ProfileFiles {
public:
    std::map<std::string, std::string> files;

    std::string read(const std::string& file, const char* section, const char* key) override;
    bool write(const std::string& file, const char* section, const char* key,
               const std::string& value) override;
};

class FakeEnvironment final : public platform::Environment {
public:
    std::map<std::string, std::string> variables;

    std::optional<std::string> get(const char* name) override {
        auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool set(const char* name, const std::string& value) override {
        variables[name] = value;
        return true;
    }
    std::optional<std::string> expand(const std::string& text) override {
        return expand_references(text, [this](const std::string& name) { return get(name.c_str()); });
    }
};

class FakeFileSystem final : public platform::FileSystem {
public:
    std::set<std::string> existing;
    std::vector<std::string> created_directories;     // in call order
    std::vector<std::string> current_directory_calls; // in call order

    bool entry_exists(const std::string& path) override { return existing.count(path) != 0; }
    void create_directory(const std::string& path) override {
        created_directories.push_back(path);
        existing.insert(path);
    }
    void set_current_directory(const std::string& path) override { current_directory_calls.push_back(path); }
};

class FakeProcess final : public platform::Process {
public:
    std::string executable = "C:\\Apps\\tool.exe";
    std::optional<unsigned long> executable_error; // set: the path is unavailable
    std::optional<std::string> raw_command_line;   // nullopt: the vector below is used
    std::vector<std::string> arguments;
    bool nt_family = true;
    int locale_calls = 0;

    bool executable_path(std::string& path, unsigned long& error) override {
        if (executable_error) {
            error = *executable_error;
            return false;
        }
        path = executable;
        return true;
    }
    std::optional<std::string> command_line() override { return raw_command_line; }
    std::vector<std::string> argument_vector() override { return arguments; }
    bool is_nt_family() override { return nt_family; }
    void use_system_default_locale() override { ++locale_calls; }
};

// No lead bytes until some are added.
class FakeCodePage final : public platform::CodePage {
public:
    std::bitset<256> lead_bytes;

    void add_lead_range(unsigned first, unsigned last) {
        for (unsigned byte = first; byte <= last; ++byte) {
            lead_bytes.set(byte);
        }
    }
    // Shift-JIS: 0x81-0x9F and 0xE0-0xFC open a double-byte character.
    void use_shift_jis() {
        add_lead_range(0x81, 0x9F);
        add_lead_range(0xE0, 0xFC);
    }
    bool is_lead_byte(unsigned char byte) const override { return lead_bytes.test(byte); }
};

// The executable's message catalogue.
class FakeResources final : public platform::Resources {
public:
    std::string load_string(unsigned id) override;
};

class FakeConsole final : public platform::Console {
public:
    std::vector<std::string> writes; // one entry per output call

    void write(std::string_view text) override { writes.emplace_back(text); }
    std::string text() const {
        std::string all;
        for (const std::string& piece : writes) {
            all += piece;
        }
        return all;
    }
};

// Libraries by path, each with the symbols it exports.
class FakeLibraries final : public platform::Libraries {
public:
    std::map<std::string, std::set<std::string>> libraries;
    std::vector<std::string> loaded; // in call order
    unsigned long load_error = 126;  // the system's "module not found"
    unsigned long symbol_error = 127; // "procedure not found"

    void* load(const std::string& path, unsigned long& error) override {
        loaded.push_back(path);
        auto found = libraries.find(path);
        if (found == libraries.end()) {
            error = load_error;
            return nullptr;
        }
        return &found->second;
    }
    void* symbol(void* library, const char* name, unsigned long& error) override {
        auto* symbols = static_cast<std::set<std::string>*>(library);
        if (symbols->count(name) == 0) {
            error = symbol_error;
            return nullptr;
        }
        return const_cast<std::string*>(&*symbols->find(name));
    }
};

// Runs the body at once on the calling thread, or refuses to make a thread.
class FakeThreads final : public platform::Threads {
public:
    bool refuse = false;
    std::vector<uint32_t> stack_sizes; // of each thread made

    bool run_and_wait(uint32_t stack_size, Body body, void* argument, uint32_t& result) override {
        if (refuse) {
            return false;
        }
        stack_sizes.push_back(stack_size);
        result = body(argument);
        return true;
    }
};

class FakeMemory final : public platform::Memory {
public:
    uint64_t physical = uint64_t{2} << 30;
    uint64_t virtual_available = uint64_t{2} << 30;

    uint64_t total_physical() override { return physical; }
    uint64_t available_virtual() override { return virtual_available; }
};

// Registry keys below HKEY_LOCAL_MACHINE: paths (without a trailing
// backslash) to their values; subkeys follow from the paths. Records every
// key that was opened.
class FakeRegistry final : public platform::Registry {
public:
    std::map<std::string, std::map<std::string, std::string>> keys;
    std::vector<std::string> opened;

    // An entry with a "JavaHome" string value (stored with its terminating zero).
    void add_java_home(const std::string& key, const std::string& home) {
        keys[key]["JavaHome"] = home + std::string(1, '\0');
    }
    std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path) override;
};

// Owns one of each fake and the System that refers to them. Windows path
// conventions unless changed.
struct FakeSystem {
    FakeProfileFiles profiles;
    FakeEnvironment environment;
    FakeFileSystem files;
    FakeProcess process;
    FakeCodePage code_page;
    FakeResources resources;
    FakeConsole console;
    FakeLibraries libraries;
    FakeThreads threads;
    FakeMemory memory;
    FakeRegistry registry;
    platform::System system{windows_paths, windows_runtime, profiles, environment, files, process,
                            code_page, resources, console, libraries, threads, memory, registry, true};

    static constexpr platform::PathConventions windows_paths{'\\', ';', "Path", false};
    static constexpr platform::RuntimeLayout windows_runtime{"bin", "jvm.dll", "bin\\java.dll", false};
    static constexpr platform::PathConventions posix_paths{'/', ':', "PATH", true};
    static constexpr platform::RuntimeLayout posix_runtime{"lib", "libjvm.so", "lib/libjava.so", true};

    FakeSystem() = default;
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    void use_posix_paths() {
        system.paths = posix_paths;
        system.runtime = posix_runtime;
    }
    // A file that both exists and reads with the given text.
    void put_file(const std::string& path, const std::string& text) {
        profiles.files[path] = text;
        files.existing.insert(path);
    }
    std::string output() const { return console.text(); }
};

} // namespace embark::testing
