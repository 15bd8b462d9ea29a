#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

std::string Win32ProfileFiles::read(const std::string& file, const char* section, const char* key) {
    std::string buffer(256, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = ::GetPrivateProfileStringA(section, key, "", buffer.data(), size, file.c_str());
        // A cut value comes back with size - 1 bytes; a quoted one whose closing
        // quote fell off the end comes back one shorter still. Read both again.
        if (length + 2 < size || size >= 0x40000000u) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(static_cast<size_t>(size) * 2, '\0');
    }
}

std::vector<std::string> Win32ProfileFiles::key_names(const std::string& file, const char* section) {
    // A null key reads the section's key names, each ended by a zero; a list
    // cut short comes back as a cut value does, so the same read serves.
    std::string list = read(file, section, nullptr);
    std::vector<std::string> names;
    for (size_t start = 0; start < list.size();) {
        size_t end = std::min(list.find('\0', start), list.size());
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool Win32ProfileFiles::write(const std::string& file, const char* section, const char* key,
                              const std::string& value) {
    return ::WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != FALSE;
}

} // namespace embark::platform::win32
