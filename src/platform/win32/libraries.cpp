#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

void* NativeLibraries::load(const std::string& path, unsigned long& error) {
    HMODULE library = ::LoadLibraryA(path.c_str());
    if (library == nullptr) {
        error = ::GetLastError();
    }
    return reinterpret_cast<void*>(library);
}

void* NativeLibraries::symbol(void* library, const char* name, unsigned long& error) {
    FARPROC address = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        error = ::GetLastError();
    }
    return reinterpret_cast<void*>(address);
}

} // namespace embark::platform
