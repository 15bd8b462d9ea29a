// POSIX systems have no registry: the runtimes installed there are found in
// their folders instead.
#include "platform/posix/posix_system.h"

namespace embark::platform::posix {

std::unique_ptr<RegistryKey> PosixRegistry::open(RegistryRoot, const std::string&) {
    return nullptr;
}

} // namespace embark::platform::posix
