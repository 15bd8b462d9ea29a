// An in-memory platform for the unit tests and the benchmarks, set up and inspected by them; the message catalogue
// is the real one.
#pragma once

#include <array>
#include <map>
#include <set>
#include <tuple>

#include "core/string_table.h"
#include "platform/ini_file.h"
#include "platform/native_system.h"
#include "ui/missing_runtime_window.h"

namespace embark::testing {

using Strings = std::vector<std::string>;
using Text = const std::string&;

// With `double_byte`, Shift-JIS: 0x81-0x9F and 0xE0-0xFC open a double-byte character.
struct FakeCodePage final : platform::CodePage {
    explicit FakeCodePage(bool double_byte = false) : double_byte(double_byte) {}
    bool is_lead_byte(unsigned char b) const override {
        return double_byte && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
    }
    bool double_byte;
};

struct FakeSystem final : platform::ProfileFiles, platform::Environment, platform::FileSystem, platform::Process,
                          platform::Console, platform::Libraries, platform::Threads, platform::Memory,
                          platform::Registry {
    std::map<std::string, std::string> files; // settings files that exist: path -> text
    void put_file(Text path, Text text) { existing.insert(path), files[path] = text; }
    std::string read(Text file, const char* section, const char* key) override {
        return files.count(file) ? ini::find_value(files[file], section, key).value_or("") : "";
    }
    Strings key_names(Text file, const char* section) override { return ini::key_names(files[file], section); }
    bool write(Text, const char*, const char*, Text) override { return false; }
    std::map<std::string, std::string> variables;
    std::optional<std::string> get(const char* name) override {
        return variables.count(name) ? std::optional(variables[name]) : std::nullopt;
    }
    bool set(const char* name, Text value) override { return variables[name] = value, true; }
    std::set<std::string> existing;
    Strings created, made_current; // folders, in call order
    bool entry_exists(Text path) override { return existing.count(path) != 0; }
    void create_directory(Text path) override { created.push_back(path); }
    void set_current_directory(Text path) override { made_current.push_back(path); }
    bool same_file(Text a, Text b) override { return a == b; }
    std::string read_start(Text path, size_t size) override { return files.count(path) ? files[path].substr(0, size) : ""; }
    std::map<std::string, Strings> folders, folder_files; // folder -> its subfolders, its files
    Strings subfolder_names(Text folder) override { return folders[folder]; }
    Strings file_names(Text folder) override { return folder_files[folder]; }
    std::string appended; // by every append, whatever the file
    bool append(Text, std::string_view text) override { return appended += text, true; }
    std::string executable = "C:\\Apps\\tool.exe";
    uint32_t error = 0; // not 0: the executable path is unavailable
    std::optional<std::string> raw_command_line;
    Strings arguments;
    bool nt_family = true;
    platform::Expected<std::string> executable_path() override {
        return error ? platform::Expected<std::string>(platform::SystemError{error}) : executable;
    }
    std::optional<std::string> command_line() override { return raw_command_line; }
    Strings argument_vector() override { return arguments; }
    std::optional<std::string> application_data_folder() override {
        return nt_family ? std::optional(get("APPDATA").value_or("")) : std::nullopt;
    }
    void use_system_default_locale() override {}
    std::string output; // standard output
    int writes = 0;
    void write(std::string_view text) override { output += text, ++writes; }
    std::string error_output; // standard error, where there is one
    bool error_stream = true;
    bool has_error_stream() override { return error_stream; }
    void write_error(std::string_view text) override { error_output += text; }
    std::map<std::string, std::set<std::string>> exports; // libraries that load; entry points cannot be called
    Strings loaded;
    platform::Expected<void*> load(Text path) override {
        loaded.push_back(path);
        return exports.count(path) ? platform::Expected<void*>(&exports[path]) : platform::SystemError{126};
    }
    platform::Expected<void*> symbol(void* library, const char* name) override {
        return static_cast<std::set<std::string>*>(library)->count(name) ? platform::Expected<void*>(library)
                                                                          : platform::SystemError{127};
    }
    std::optional<uint32_t> run_and_wait(uint32_t, Body, void*) override { return std::nullopt; }
    int thread_starts = 0; // none starts
    bool start(Body, void*) override { return ++thread_starts, false; }
    uint64_t physical = uint64_t{2} << 30;
    uint64_t total_physical() override { return physical; }
    uint64_t available_virtual() override { return 2000000000; }
    // Runtime entries by key path (HKCU\ before the user's), with the raw data of their one value, whatever its
    // name; a key lists the first components of the paths below it.
    struct Key final : platform::RegistryKey {
        Strings names;
        std::optional<std::string> home;
        std::optional<std::string> subkey_name(uint32_t i) override { return i < names.size() ? std::optional(names[i]) : std::nullopt; }
        std::optional<std::string> value(const char*) override { return home; }
    };
    std::map<std::string, std::string> homes;
    Strings opened;
    bool log_opens = true;
    std::unique_ptr<platform::RegistryKey> open(platform::RegistryRoot root, Text key_path) override {
        std::string user_path; // no copy of a machine key's path: benchmarks open keys millions of times
        const std::string& path = root == platform::RegistryRoot::current_user ? (user_path = "HKCU\\" + key_path) : key_path;
        const size_t cut = path.size() + (path.back() != '\\');
        if (log_opens) opened.push_back(path);
        auto key = std::make_unique<Key>();
        auto entry = homes.lower_bound(path); // one walk of the map: the key's own value, then the keys below it
        if (entry != homes.end() && entry->first == path) key->home = (entry++)->second;
        for (; entry != homes.end() && entry->first.starts_with(path); ++entry) {
            if (entry->first.size() <= cut || entry->first[cut - 1] != '\\') continue;
            std::string name = entry->first.substr(cut, entry->first.find('\\', cut) - cut);
            if (key->names.empty() || key->names.back() != name) key->names.push_back(name);
        }
        return key->names.empty() && !key->home ? nullptr : std::move(key);
    }
    FakeCodePage code_page;
    platform::NativeResources resources{message_string_table()};
    platform::System system{{'\\', ';', "Path", ".exe"}, {platform::MachineType::Format::pe, 0x8664}, *this, *this,
                            *this, *this, code_page, resources, *this, *this, *this, *this, *this};
    // Dialogs that can never be created, where there are any.
    struct Windows final : MissingRuntimeWindows {
        bool dialogs = true;
        bool available() const override { return dialogs; }
        int show(platform::System&, Text, JvmType, RuntimeChoice&) override { return dialog_failed; }
    } windows;
};

} // namespace embark::testing
