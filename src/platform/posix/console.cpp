#include <fcntl.h>

#include <cstdio>

#include "platform/posix/posix_system.h"

namespace embark::platform {

void NativeConsole::write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool NativeConsole::has_error_stream() {
    return ::fcntl(STDERR_FILENO, F_GETFD) != -1;
}

void NativeConsole::write_error(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void NativeConsole::show_held_lines() {} // every line has been written where it goes

} // namespace embark::platform
