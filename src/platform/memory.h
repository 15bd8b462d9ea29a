// The machine's memory as the process sees it.
#pragma once

#include <cstdint>

namespace embark::platform {

class Memory {
public:
    virtual ~Memory() = default;
    virtual uint64_t total_physical() = 0;
    // What remains of the process's virtual address space.
    virtual uint64_t available_virtual() = 0;
};

} // namespace embark::platform
