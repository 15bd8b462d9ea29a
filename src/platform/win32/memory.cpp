#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

// The 64-bit memory status: the 32-bit one saturates at 4 GiB.
uint64_t NativeMemory::total_physical() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

uint64_t NativeMemory::available_virtual() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? status.ullAvailVirtual : 0;
}

} // namespace embark::platform
