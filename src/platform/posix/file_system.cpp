#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform {

bool NativeFileSystem::entry_exists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

void NativeFileSystem::create_directory(const std::string& path) {
    ::mkdir(path.c_str(), 0777);
}

void NativeFileSystem::set_current_directory(const std::string& path) {
    if (::chdir(path.c_str()) != 0) {
        // Like the Windows call, a failure leaves the current directory as it was.
    }
}

bool NativeFileSystem::same_file(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    struct stat first;
    struct stat second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
        first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string NativeFileSystem::read_start(const std::string& path, size_t size) {
    // Non-blocking: a FIFO put where a library belongs must not hold the start.
    posix::UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    std::string bytes(size, '\0');
    size_t filled = 0;
    while (file.get() >= 0 && filled < size) {
        ssize_t got = ::read(file.get(), bytes.data() + filled, size - filled);
        if (got <= 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

namespace {

// The entries of a folder that `keep` takes by their status: lstat's for
// folders, so that links to folders are left out; stat's for files, so that
// links to files count.
template <typename Keep>
std::vector<std::string> entries_of(const std::string& folder, bool follow_links, Keep keep) {
    std::vector<std::string> names;
    posix::UniqueDirectory directory(::opendir(folder.c_str()));
    while (directory) {
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            break;
        }
        std::string_view name = entry->d_name;
        const std::string path = folder + '/' + entry->d_name;
        struct stat status;
        if (name != "." && name != ".." &&
            (follow_links ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) == 0 &&
            keep(status.st_mode)) {
            names.emplace_back(name);
        }
    }
    return names;
}

} // namespace

std::vector<std::string> NativeFileSystem::subfolder_names(const std::string& folder) {
    return entries_of(folder, false, [](mode_t mode) { return S_ISDIR(mode); });
}

std::vector<std::string> NativeFileSystem::file_names(const std::string& folder) {
    return entries_of(folder, true, [](mode_t mode) { return S_ISREG(mode); });
}

bool NativeFileSystem::append(const std::string& path, std::string_view text) {
    posix::UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    return file && ::write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

} // namespace embark::platform
