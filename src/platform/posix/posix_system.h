// The POSIX implementations of the platform interfaces.
#pragma once

#include "platform/system.h"

namespace embark::platform::posix {

class PosixProfileFiles final : public ProfileFiles {
public:
    std::string read(const std::string& file, const char* section, const char* key) override;
    bool write(const std::string& file, const char* section, const char* key,
               const std::string& value) override;

private:
    // A start reads a dozen keys of one file: it is read from disk once, as
    // the Windows profile functions keep theirs.
    const std::string* contents_of(const std::string& file);
    std::string cached_file_;
    std::string cached_contents_;
    bool cached_exists_ = false;
};

class PosixEnvironment final : public Environment {
public:
    std::optional<std::string> get(const char* name) override;
    bool set(const char* name, const std::string& value) override;
    std::optional<std::string> expand(const std::string& text) override;
};

class PosixFileSystem final : public FileSystem {
public:
    bool entry_exists(const std::string& path) override;
    void create_directory(const std::string& path) override;
    void set_current_directory(const std::string& path) override;
    bool same_file(const std::string& a, const std::string& b) override;
};

class PosixProcess final : public Process {
public:
    bool executable_path(std::string& path, unsigned long& error) override;
    std::optional<std::string> command_line() override;
    std::vector<std::string> argument_vector() override;
    bool keeps_per_user_settings_file() override;
    void use_system_default_locale() override;

private:
    std::string executable_; // asked for by several steps of a start: found once
};

// UTF-8 and the single-byte sets: no byte opens a double-byte character.
class PosixCodePage final : public CodePage {
public:
    bool is_lead_byte(unsigned char) const override { return false; }
};

class PosixResources final : public Resources {
public:
    std::string load_string(unsigned id) override;
};

class PosixConsole final : public Console {
public:
    void write(std::string_view text) override;
};

class PosixLibraries final : public Libraries {
public:
    void* load(const std::string& path, unsigned long& error) override;
    void* symbol(void* library, const char* name, unsigned long& error) override;
};

class PosixThreads final : public Threads {
public:
    bool run_and_wait(uint32_t stack_size, Body body, void* argument, uint32_t& result) override;
    bool start(Body body, void* argument) override;
};

class PosixMemory final : public Memory {
public:
    uint64_t total_physical() override;
    uint64_t available_virtual() override;
};

// Single-instance channels: a Unix domain socket in the abstract namespace, named after
// the instance.
class PosixInstanceChannels final : public InstanceChannels {
public:
    std::unique_ptr<InstanceChannel> open(const std::string& instance_name, Serve serve,
                                          bool& first_instance) override;
};

class PosixRegistry final : public Registry {
public:
    // The runtimes installed below `folder` stand in for the registry's
    // JavaSoft "Java Runtime Environment" entries.
    explicit PosixRegistry(std::string folder) : folder_(std::move(folder)) {}
    std::unique_ptr<RegistryKey> open_local_machine(const std::string& path) override;

    struct InstalledRuntime {
        std::string version;
        std::string home;
    };

private:
    // A search opens the list and then each entry: the folder is read once.
    const std::vector<InstalledRuntime>& installed();
    std::string folder_;
    std::optional<std::vector<InstalledRuntime>> installed_;
};

} // namespace embark::platform::posix
