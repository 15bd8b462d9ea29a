#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

bool NativeProcess::executable_path(std::string& path, unsigned long& error) {
    if (!executable_.empty()) {
        path = executable_;
        return true;
    }
    // The path may be longer than MAX_PATH: grow until it is not cut.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            error = ::GetLastError();
            return false;
        }
        if (length < size) {
            buffer.resize(length);
            executable_ = buffer;
            path = std::move(buffer);
            return true;
        }
        if (size >= 0x10000) { // beyond any path the system can hold
            error = ERROR_INSUFFICIENT_BUFFER;
            return false;
        }
        buffer.assign(static_cast<size_t>(size) * 2, '\0');
    }
}

std::optional<std::string> NativeProcess::command_line() {
    return std::string(::GetCommandLineA());
}

std::vector<std::string> NativeProcess::argument_vector() {
    return {}; // Windows keeps a raw command line instead
}

bool NativeProcess::keeps_per_user_settings_file() {
    // The per-user file belongs to the NT family. GetVersionEx is deprecated
    // for version checks, but the platform id is all we ask.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    OSVERSIONINFOA basic{};
    basic.dwOSVersionInfoSize = sizeof basic;
    if (::GetVersionExA(&basic)) {
        return basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
#pragma GCC diagnostic pop
    return false;
}

void NativeProcess::use_system_default_locale() {
    ::SetThreadLocale(::GetSystemDefaultLCID());
}

} // namespace embark::platform
