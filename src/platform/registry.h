// The system's registry, read only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace embark::platform {

// An open registry key; closed when the object goes.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The name of the subkey at `index`; nullopt at the end of the list or on any error.
    virtual std::optional<std::string> subkey_name(uint32_t index) = 0;
    // The raw data of a named value (its type is not examined); nullopt when
    // it cannot be read.
    virtual std::optional<std::string> value(const char* name) = 0;
};

enum class RegistryRoot { local_machine, current_user };

// The keys of the machine and of the user, in the view of this build's own
// bitness. A system without a registry has no keys.
class Registry {
public:
    virtual ~Registry() = default;
    // nullptr when the key cannot be opened for reading.
    virtual std::unique_ptr<RegistryKey> open(RegistryRoot root, const std::string& path) = 0;
};

} // namespace embark::platform
