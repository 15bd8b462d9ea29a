#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

Expected<std::string> NativeProcess::executable_path() {
    if (!executable_.empty()) {
        return executable_;
    }
    // The path may be longer than MAX_PATH: grow until it is not cut.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return last_system_error();
        }
        if (length < size) {
            buffer.resize(length);
            executable_ = buffer;
            return buffer;
        }
        if (size >= 0x10000) { // beyond any path the system can hold
            return SystemError{ERROR_INSUFFICIENT_BUFFER};
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

namespace {

// The per-user settings file belongs to the NT family. GetVersionEx is
// deprecated for version checks, but the platform id is all we ask.
bool nt_family() {
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

} // namespace

std::optional<std::string> NativeProcess::application_data_folder() {
    if (!nt_family()) {
        return std::nullopt;
    }
    return NativeEnvironment().get("APPDATA").value_or(std::string());
}

void NativeProcess::use_system_default_locale() {
    ::SetThreadLocale(::GetSystemDefaultLCID());
}

} // namespace embark::platform
