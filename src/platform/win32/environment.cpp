#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

std::optional<std::string> Win32Environment::get(const char* name) {
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

bool Win32Environment::set(const char* name, const std::string& value) {
    return ::SetEnvironmentVariableA(name, value.c_str()) != FALSE;
}

} // namespace embark::platform::win32

namespace embark::platform::win32 {

std::optional<std::string> Win32Environment::expand(const std::string& text) {
    DWORD size = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0) {
        return std::nullopt;
    }
    std::string buffer(size, '\0');
    DWORD written = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), size);
    if (written == 0 || written > size) {
        return std::nullopt;
    }
    buffer.resize(written - 1); // the count includes the terminating zero
    return buffer;
}

} // namespace embark::platform::win32
