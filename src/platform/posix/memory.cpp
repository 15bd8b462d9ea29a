#include <sys/resource.h>
#include <unistd.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

namespace {

// The user part of the address space of an x86-64 process (47 bits).
constexpr uint64_t user_address_space = uint64_t{1} << 47;

} // namespace

uint64_t NativeMemory::total_physical() {
    long pages = ::sysconf(_SC_PHYS_PAGES);
    long page_size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) {
        return 0;
    }
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
}

uint64_t NativeMemory::available_virtual() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        return static_cast<uint64_t>(limit.rlim_cur);
    }
    return user_address_space;
}

} // namespace embark::platform
