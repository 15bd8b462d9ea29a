// The Windows implementations of the platform interfaces.
#pragma once

#include "platform/native_system.h"

namespace embark::platform::win32 {

class Win32ProfileFiles final : public ProfileFiles {
public:
    std::string read(const std::string& file, const char* section, const char* key) override;
    std::vector<std::string> key_names(const std::string& file, const char* section) override;
    bool write(const std::string& file, const char* section, const char* key,
               const std::string& value) override;
};

class Win32CodePage final : public CodePage {
public:
    bool is_lead_byte(unsigned char byte) const override;
};

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> open(RegistryRoot root, const std::string& path) override;
};

} // namespace embark::platform::win32
