// The operating system as the launcher sees it: one small interface per
// concern. Portable logic only ever talks to these; the win32 and posix
// implementations live in their own folders, and tests pass fakes.
#pragma once

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
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when a directory search for the path finds an entry (a file or a folder).
    virtual bool entry_exists(const std::string& path) = 0;
    virtual void create_directory(const std::string& path) = 0;
    virtual void set_current_directory(const std::string& path) = 0;
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
    // The Windows NT family test; false on systems that keep no per-user settings file.
    virtual bool is_nt_family() = 0;
    virtual void use_system_default_locale() = 0;
};

// The process's ANSI code page: which bytes open a double-byte character.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual bool is_lead_byte(unsigned char byte) const = 0;
};

// Texts of the executable's string table.
class Resources {
public:
    virtual ~Resources() = default;
    // Empty when the id is not in the table.
    virtual std::string load_string(unsigned id) = 0;
};

// Standard output of the process.
class Console {
public:
    virtual ~Console() = default;
    // Writes the text with one output call and flushes it.
    virtual void write(std::string_view text) = 0;
};

// How paths are spelt on this system.
struct PathConventions {
    char separator; // '\\' on Windows
    // Executables commonly have no extension (POSIX): the settings file is then
    // the executable path with ".ini" appended.
    bool executables_without_extension;
};

struct System {
    PathConventions paths;
    ProfileFiles& profiles;
    Environment& environment;
    FileSystem& files;
    Process& process;
    const CodePage& code_page;
    Resources& resources;
    Console& console;
};

// The real operating system of this build.
System& native_system();

} // namespace embark::platform
