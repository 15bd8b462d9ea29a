// The operating system as the launcher sees it: one small interface per
// concern. Portable logic only ever talks to these; the win32 and posix
// implementations live in their own folders, and tests pass fakes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace embark::platform {

// Initialisation files ("profile" files in Windows terms). Every read passes an
// empty default, so an absent file, section or key all read as "".
class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;
    virtual std::string read(const std::string& file, const char* section, const char* key) = 0;
    virtual bool write(const std::string& file, const char* section, const char* key,
                       const std::string& value) = 0;
};

class Environment {
public:
    virtual ~Environment() = default;
    // The whole value, however long; nullopt when the variable is not defined.
    virtual std::optional<std::string> get(const char* name) = 0;
    virtual bool set(const char* name, const std::string& value) = 0;
    // Replaces %NAME% references with the variables' values; references to
    // undefined variables stay as written. nullopt when the expansion fails.
    virtual std::optional<std::string> expand(const std::string& text) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when a directory search for the path finds an entry (a file or a folder).
    virtual bool entry_exists(const std::string& path) = 0;
    virtual void create_directory(const std::string& path) = 0;
    virtual void set_current_directory(const std::string& path) = 0;
    // Whether two file names name one file, as the system compares paths.
    virtual bool same_file(const std::string& a, const std::string& b) = 0;
    // The first `size` bytes of a file, fewer when it is shorter; empty when it cannot be read.
    virtual std::string read_start(const std::string& path, size_t size) = 0;
};

class Process {
public:
    virtual ~Process() = default;
    // The full path of the running executable; on failure the system error code.
    virtual bool executable_path(std::string& path, unsigned long& error) = 0;
    // The raw command line, where the system keeps one for the process (Windows).
    virtual std::optional<std::string> command_line() = 0;
    // The arguments after the program name, where the system passes them as a
    // vector instead (POSIX).
    virtual std::vector<std::string> argument_vector() = 0;
    // Whether the remembered runtime folder lives in a per-user settings file
    // (the Windows NT family); false where only the local settings file counts.
    virtual bool keeps_per_user_settings_file() = 0;
    virtual void use_system_default_locale() = 0;
};

// The process's ANSI code page: which bytes open a double-byte character.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual bool is_lead_byte(unsigned char byte) const = 0;
};

// The string table that an executable without a resource section links in
// (the Windows executable carries its own in its resources).
struct StringTableEntry {
    unsigned id;
    const char* text;
};
extern const StringTableEntry string_table[];
extern const size_t string_table_size;

// Texts of the executable's string table.
class Resources {
public:
    virtual ~Resources() = default;
    // Empty when the id is not in the table.
    virtual std::string load_string(unsigned id) = 0;
};

// Shared libraries. A loaded library stays loaded until the process ends:
// the virtual machine's library is never unloaded, so there is no handle to own.
class Libraries {
public:
    virtual ~Libraries() = default;
    // nullptr and the system error code (or message text's code) on failure.
    virtual void* load(const std::string& path, unsigned long& error) = 0;
    virtual void* symbol(void* library, const char* name, unsigned long& error) = 0;
};

class Threads {
public:
    virtual ~Threads() = default;
    using Body = uint32_t (*)(void* argument);
    // Runs `body` on a new thread with the given stack size (0: the system's
    // default) and waits for it. False when no thread could be made.
    virtual bool run_and_wait(uint32_t stack_size, Body body, void* argument, uint32_t& result) = 0;
    // Runs `body` on a new thread of the default size that nobody waits for.
    // False when no thread could be made.
    virtual bool start(Body, void*) { return false; }
};

class Memory {
public:
    virtual ~Memory() = default;
    virtual uint64_t total_physical() = 0;
    // What remains of the process's virtual address space.
    virtual uint64_t available_virtual() = 0;
};

// An open registry key; closed when the object goes.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The name of the subkey at `index`; false at the end of the list or on any error.
    virtual bool subkey_name(uint32_t index, std::string& name) = 0;
    // The raw data of a named value (its type is not examined); false when it
    // cannot be read.
    virtual bool value(const char* name, std::string& data) = 0;
};

// The keys below HKEY_LOCAL_MACHINE, read only.
class Registry {
public:
    virtual ~Registry() = default;
    // nullptr when the key cannot be opened for reading.
    virtual std::unique_ptr<RegistryKey> open_local_machine(const std::string& path) = 0;
};

// Standard output of the process.
class Console {
public:
    virtual ~Console() = default;
    // Writes the text with one output call and flushes it.
    virtual void write(std::string_view text) = 0;
};

// Single-instance operation: the channel between the starts of one executable.
// The first start listens under the instance name; a later start hands it the
// area that holds its encoded arguments and waits for the answer.
constexpr size_t instance_argument_area_size = 1040;

// A later start's request as the first instance received it.
struct InstanceRequest {
    std::string argument_area; // a copy, taken when the request arrived: the slot is free again
    // Sends the answer to the waiting start; a request never answered leaves
    // that start waiting for this process's end.
    std::function<void(uint32_t)> reply;
};

// How a later start's wait for the first instance ended.
struct InstanceAnswer {
    enum class Kind {
        reply,                 // the first instance answered with `value`
        first_instance_ended,  // it ended without answering; `value` is its exit code
        first_instance_unreachable, // its process cannot be opened
        lost,                  // neither an answer nor an exit code can be had
    };
    Kind kind;
    uint32_t value = 0;
};

class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;
    enum class Delivery { delivered, not_ready, failed };
    // A later start: hands the argument area (instance_argument_area_size
    // bytes) to the first instance. not_ready while the first instance is
    // still starting and cannot take requests yet.
    virtual Delivery deliver(const std::string& argument_area) = 0;
    // A short pause before the next delivery attempt.
    virtual void pause_before_retry() = 0;
    // A later start, after delivery: blocks until the answer or the first
    // instance's end.
    virtual InstanceAnswer wait_for_answer() = 0;
};

class InstanceChannels {
public:
    virtual ~InstanceChannels() = default;
    using Serve = std::function<void(InstanceRequest)>;
    // Claims the instance name. The first start gets a channel whose listener
    // already takes requests when this returns and passes each one to `serve`
    // on the listener thread (until the channel goes); a later start gets a
    // channel to the first. nullptr when the system refuses: the start then
    // runs on its own.
    virtual std::unique_ptr<InstanceChannel> open(const std::string& instance_name, Serve serve,
                                                  bool& first_instance) = 0;
};

// Service operation. On Windows the service control manager runs the process
// as a service; on POSIX the process stands in for it in the foreground, as a
// systemd service runs, and a stop request is SIGTERM, SIGINT or SIGHUP.
constexpr uint32_t service_control_stop = 1;
constexpr uint32_t service_control_shutdown = 5;
constexpr uint32_t service_stop_pending = 3;

struct ServiceStatus { // the fields and order of the system's status record
    uint32_t service_type;
    uint32_t current_state;
    uint32_t controls_accepted;
    uint32_t win32_exit_code;
    uint32_t service_specific_exit_code;
    uint32_t check_point;
    uint32_t wait_hint;
};

class ServiceHost {
public:
    virtual ~ServiceHost() = default;
    struct Callbacks {
        // On a thread of its own: the service's arguments, its name first.
        std::function<void(std::vector<std::string>)> main;
        std::function<void(uint32_t)> control; // each control request, on the dispatching thread
    };
    enum class Dispatch { served, not_a_service, failed };
    // Serves the one service of this process under the name; returns once its
    // main has returned. not_a_service when the process was not started by
    // the service control manager.
    virtual Dispatch dispatch(const std::string& service_name, const Callbacks& callbacks) = 0;
    // From the service's main, before its first report; false when refused.
    virtual bool register_control_handler(const std::string& service_name) = 0;
    virtual bool report(const ServiceStatus& status) = 0;
    // The virtual machine exists (on POSIX: tell systemd, and take the stop
    // signals back from the machine, which claimed them while it was made).
    virtual void machine_ready() = 0;
};

// How paths are spelt on this system.
struct PathConventions {
    char separator;      // '\\' on Windows
    char list_separator; // between the folders of a search path: ';' on Windows
    const char* search_path_variable; // "Path" on Windows
    // Executables commonly have no extension (POSIX): the settings file is then
    // the executable path with ".ini" appended.
    bool executables_without_extension;
};

// A kind of machine code as executable files name it: their format and the
// machine number in their header (PE: 0x8664 x64, 0x14C x86; ELF: 62 x86-64).
struct MachineType {
    enum class Format : uint8_t { unknown, pe, elf };
    Format format = Format::unknown;
    uint16_t number = 0;
    bool operator==(const MachineType&) const = default;
};

// Where a Java runtime keeps its virtual machine library, relative to its home.
struct RuntimeLayout {
    const char* library_folder;  // "bin": bin\server\jvm.dll
    const char* library_file;    // "jvm.dll"
    const char* private_marker;  // "bin\\java.dll": a runtime folder beside the executable
    // The folder to put on the search path for the runtime: the library's
    // dependencies on Windows (two components above jvm.dll); on POSIX,
    // where libraries are not found through the search path, the runtime's
    // tools in its home's bin folder.
    bool search_path_entry_is_home_bin;
    MachineType machine; // of this build: the only one whose libraries it can load
};

struct System {
    PathConventions paths;
    RuntimeLayout runtime;
    ProfileFiles& profiles;
    Environment& environment;
    FileSystem& files;
    Process& process;
    const CodePage& code_page;
    Resources& resources;
    Console& console;
    Libraries& libraries;
    Threads& threads;
    Memory& memory;
    Registry& registry;
    // False where the launcher has no windows (POSIX): what a dialog would
    // show is printed instead.
    bool has_dialogs;
    // Where the system has no single-instance channel (the in-memory
    // platforms), every start runs on its own.
    InstanceChannels* instances = nullptr;
    // Where the system has none (the in-memory platforms), a service start fails.
    ServiceHost* services = nullptr;
};

// The real operating system of this build.
System& native_system();

} // namespace embark::platform
