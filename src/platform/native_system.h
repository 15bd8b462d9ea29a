// The classes of this build's platform layer that both systems share in
// shape: declared once here, defined in win32/ or posix/, whichever the build
// compiles. What differs in shape lives in win32_system.h and posix_system.h.
#pragma once

#include <span>

#include "platform/cache_files.h"
#include "platform/system.h"

namespace embark::platform {

class NativeEnvironment final : public Environment {
public:
    std::optional<std::string> get(const char* name) override;
    bool set(const char* name, const std::string& value) override;
};

class NativeFileSystem final : public FileSystem {
public:
    bool entry_exists(const std::string& path) override;
    void create_directory(const std::string& path) override;
    void set_current_directory(const std::string& path) override;
    bool same_file(const std::string& a, const std::string& b) override;
    std::string read_start(const std::string& path, size_t size) override;
    std::vector<std::string> subfolder_names(const std::string& folder) override;
    std::vector<std::string> file_names(const std::string& folder) override;
    bool append(const std::string& path, std::string_view text) override;
};

class NativeCacheFiles final : public CacheFiles {
public:
    std::string cache_folder() override;
    std::optional<FileFacts> facts(const std::string& path) override;
    std::string real_path(const std::string& path) override;
    std::string read_part(const std::string& path, uint64_t offset, size_t size) override;
    bool make_folders(const std::string& path) override;
    bool write(const std::string& path, std::string_view bytes) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    void touch(const std::string& path) override;
    std::unique_ptr<FileLock> try_lock(const std::string& path) override;
    uint64_t process_number() override;
};

class NativeProcess final : public Process {
public:
    Expected<std::string> executable_path() override;
    std::optional<std::string> command_line() override;
    std::vector<std::string> argument_vector() override;
    std::optional<std::string> application_data_folder() override;
    void use_system_default_locale() override;

private:
    std::string executable_; // asked for by several steps of a start: found once
};

// The Windows executable's string table is in its resources; on POSIX the
// executable hands over its own.
class NativeResources final : public Resources {
public:
    explicit NativeResources(std::span<const StringTableEntry> table = {}) : table_(table) {}
    std::string load_string(unsigned id) override;

private:
    std::span<const StringTableEntry> table_;
};

class NativeConsole final : public Console {
public:
    void write(std::string_view text) override;
    bool has_error_stream() override;
    void write_error(std::string_view text) override;
    void show_held_lines() override;
};

class NativeLibraries final : public Libraries {
public:
    Expected<void*> load(const std::string& path) override;
    Expected<void*> symbol(void* library, const char* name) override;
};

class NativeThreads final : public Threads {
public:
    std::optional<uint32_t> run_and_wait(uint32_t stack_size, Body body, void* argument) override;
    bool start(Body body, void* argument) override;
};

class NativeMemory final : public Memory {
public:
    uint64_t total_physical() override;
    uint64_t available_virtual() override;
};

// Single-instance channels: on Windows the named instance block, a registered
// message and thread messages, admitting only this user; on POSIX a Unix
// domain socket in a folder of this user's alone, named after the instance.
class NativeInstanceChannels final : public InstanceChannels {
public:
    std::unique_ptr<InstanceChannel> open(const std::string& instance_name, size_t area_size, Serve serve,
                                          bool& first_instance) override;
};

// Service operation: on Windows the service control dispatcher; on POSIX the
// foreground process with its stop signals and systemd's notification socket.
class NativeServiceHost final : public ServiceHost {
public:
    Dispatch dispatch(const std::string& service_name, const Callbacks& callbacks) override;
    bool register_control_handler(const std::string& service_name) override;
    bool report(ServiceState state, uint32_t wait_hint_ms) override;
    void machine_ready() override;
};

} // namespace embark::platform
