// Owners of POSIX files: a descriptor, a C stream and a directory stream;
// each is closed exactly once, on every path.
#pragma once

#include <dirent.h>
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

struct DirectoryTraits {
    static DIR* invalid() { return nullptr; }
    static bool is_valid(DIR* directory) { return directory != nullptr; }
    static bool close(DIR* directory) { return ::closedir(directory) == 0; }
};
using UniqueDirectory = UniqueResource<DIR*, DirectoryTraits>;

} // namespace embark::platform::posix
