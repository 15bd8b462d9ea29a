// The Windows implementations of the platform interfaces.
#pragma once

#include "platform/system.h"

namespace embark::platform::win32 {

class Win32ProfileFiles final : public ProfileFiles {
public:
    std::string read(const std::string& file, const char* section, const char* key) override;
    bool write(const std::string& file, const char* section, const char* key,
               const std::string& value) override;
};

class Win32Environment final : public Environment {
public:
    std::optional<std::string> get(const char* name) override;
    bool set(const char* name, const std::string& value) override;
    std::optional<std::string> expand(const std::string& text) override;
};

class Win32FileSystem final : public FileSystem {
public:
    bool entry_exists(const std::string& path) override;
    void create_directory(const std::string& path) override;
    void set_current_directory(const std::string& path) override;
    bool same_file(const std::string& a, const std::string& b) override;
};

class Win32Process final : public Process {
public:
    bool executable_path(std::string& path, unsigned long& error) override;
    std::optional<std::string> command_line() override;
    std::vector<std::string> argument_vector() override;
    bool keeps_per_user_settings_file() override;
    void use_system_default_locale() override;

private:
    std::string executable_; // asked for by several steps of a start: found once
};

class Win32CodePage final : public CodePage {
public:
    bool is_lead_byte(unsigned char byte) const override;
};

class Win32Resources final : public Resources {
public:
    std::string load_string(unsigned id) override;
};

class Win32Console final : public Console {
public:
    void write(std::string_view text) override;
};

class Win32Libraries final : public Libraries {
public:
    void* load(const std::string& path, unsigned long& error) override;
    void* symbol(void* library, const char* name, unsigned long& error) override;
};

class Win32Threads final : public Threads {
public:
    bool run_and_wait(uint32_t stack_size, Body body, void* argument, uint32_t& result) override;
    bool start(Body body, void* argument) override;
};

class Win32Memory final : public Memory {
public:
    uint64_t total_physical() override;
    uint64_t available_virtual() override;
};

// Single-instance channels: the named instance block, a registered message and
// thread messages.
class Win32InstanceChannels final : public InstanceChannels {
public:
    std::unique_ptr<InstanceChannel> open(const std::string& instance_name, Serve serve,
                                          bool& first_instance) override;
};

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> open_local_machine(const std::string& path) override;
};

} // namespace embark::platform::win32
