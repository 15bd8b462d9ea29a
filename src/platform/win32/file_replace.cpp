#include "platform/file_replace.h"

#include <cerrno>
#include <windows.h>

namespace embark::platform {

bool replace_file(const std::string& from, const std::string& to) {
    // The C library's rename will not replace a file on Windows.
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

} // namespace embark::platform
