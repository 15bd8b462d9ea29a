#include <cerrno>
#include <dlfcn.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

// dlopen and dlsym report in text; errno, where it says anything, is the closest number.
Expected<void*> NativeLibraries::load(const std::string& path) {
    errno = 0;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        return last_system_error();
    }
    return library;
}

Expected<void*> NativeLibraries::symbol(void* library, const char* name) {
    errno = 0;
    void* address = ::dlsym(library, name);
    if (address == nullptr) {
        return last_system_error();
    }
    return address;
}

} // namespace embark::platform
