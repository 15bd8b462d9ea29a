// Shared libraries.
#pragma once

#include <string>

#include "platform/system_error.h"

namespace embark::platform {

// A loaded library stays loaded until the process ends: the virtual machine's
// library is never unloaded, so there is no handle to own.
class Libraries {
public:
    virtual ~Libraries() = default;
    virtual Expected<void*> load(const std::string& path) = 0;
    virtual Expected<void*> symbol(void* library, const char* name) = 0;
};

} // namespace embark::platform
