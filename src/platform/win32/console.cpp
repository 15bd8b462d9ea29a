#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_system.h"

namespace embark::platform {

void NativeConsole::write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool NativeConsole::has_error_stream() {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    return error != nullptr && error != INVALID_HANDLE_VALUE;
}

void NativeConsole::write_error(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace embark::platform
