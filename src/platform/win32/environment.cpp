#include <windows.h>

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

} // namespace embark::platform
