#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

Expected<void*> NativeLibraries::load(const std::string& path) {
    HMODULE library = ::LoadLibraryA(path.c_str());
    if (library == nullptr) {
        return last_system_error();
    }
    return reinterpret_cast<void*>(library);
}

Expected<void*> NativeLibraries::symbol(void* library, const char* name) {
    FARPROC address = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        return last_system_error();
    }
    return reinterpret_cast<void*>(address);
}

} // namespace embark::platform
