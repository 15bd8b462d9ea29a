#include <cstdlib>

#include "platform/posix/posix_system.h"

namespace embark::platform {

std::optional<std::string> NativeEnvironment::get(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

bool NativeEnvironment::set(const char* name, const std::string& value) {
    return ::setenv(name, value.c_str(), 1) == 0;
}

} // namespace embark::platform
