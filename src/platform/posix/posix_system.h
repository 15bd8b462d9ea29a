// The POSIX implementations of the platform interfaces.
#pragma once

#include "platform/native_system.h"

namespace embark::platform::posix {

class PosixProfileFiles final : public ProfileFiles {
public:
    std::string read(const std::string& file, const char* section, const char* key) override;
    std::vector<std::string> key_names(const std::string& file, const char* section) override;
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

// UTF-8 and the single-byte sets: no byte opens a double-byte character.
class PosixCodePage final : public CodePage {
public:
    bool is_lead_byte(unsigned char) const override { return false; }
};

class PosixRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> open(RegistryRoot root, const std::string& path) override;
};

} // namespace embark::platform::posix
