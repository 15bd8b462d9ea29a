// Owners of POSIX files: a descriptor and a C stream; each is closed
// exactly once, on every path.
#pragma once

#include <unistd.h>

#include <cstdio>

#include "platform/unique_resource.h"

namespace embark::platform::posix {

struct DescriptorTraits {
    static int invalid() { return -1; }
    static bool is_valid(int fd) { return fd >= 0; }
    static bool close(int fd) { return ::close(fd) == 0; }
};
using UniqueFd = UniqueResource<int, DescriptorTraits>;

struct FileTraits {
    static std::FILE* invalid() { return nullptr; }
    static bool is_valid(std::FILE* file) { return file != nullptr; }
    // The stream's buffered bytes are written here: a failure is a failed write.
    static bool close(std::FILE* file) { return std::fclose(file) == 0; }
};
using UniqueFile = UniqueResource<std::FILE*, FileTraits>;

} // namespace embark::platform::posix
