#include <windows.h>

#include "platform/environment_references.h"
#include "platform/win32/win32_system.h"

namespace embark::platform {

std::optional<std::string> NativeEnvironment::get(const char* name) {
    std::string buffer(260, '\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        // Too small: the length is the size needed, terminating zero included.
        buffer.assign(length, '\0');
    }
}

bool NativeEnvironment::set(const char* name, const std::string& value) {
    return ::SetEnvironmentVariableA(name, value.c_str()) != FALSE;
}

// Each %NAME% is looked up on its own: the system's expansion function fails
// (or worse) for a result beyond 32 KiB, and a class path can be that long.
std::optional<std::string> NativeEnvironment::expand(const std::string& text) {
    return expand_references(text, [this](const std::string& name) { return get(name.c_str()); });
}

} // namespace embark::platform
