#include "platform/file_replace.h"

#include <cstdio>

namespace embark::platform {

bool replace_file(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace embark::platform
