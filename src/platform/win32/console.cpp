#include <cstdio>

#include "platform/win32/win32_system.h"

namespace embark::platform {

void NativeConsole::write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace embark::platform
