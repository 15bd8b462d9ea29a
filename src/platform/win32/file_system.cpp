#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

bool Win32FileSystem::entry_exists(const std::string& path) {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(::FindFirstFileA(path.c_str(), &found));
    return static_cast<bool>(search);
}

void Win32FileSystem::create_directory(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void Win32FileSystem::set_current_directory(const std::string& path) {
    ::SetCurrentDirectoryA(path.c_str());
}

} // namespace embark::platform::win32
