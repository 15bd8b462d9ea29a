#include <cerrno>
#include <dlfcn.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

void* NativeLibraries::load(const std::string& path, unsigned long& error) {
    errno = 0;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        // dlopen reports in text; errno, where it says anything, is the closest code.
        error = static_cast<unsigned long>(errno);
    }
    return library;
}

void* NativeLibraries::symbol(void* library, const char* name, unsigned long& error) {
    errno = 0;
    void* address = ::dlsym(library, name);
    if (address == nullptr) {
        error = static_cast<unsigned long>(errno);
    }
    return address;
}

} // namespace embark::platform
