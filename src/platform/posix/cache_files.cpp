#include "platform/native_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/file_replace.h"
#include "platform/posix/unique_file.h"

namespace embark::platform {
namespace {

using posix::UniqueFd;

struct FlockLock final : FileLock {
    explicit FlockLock(UniqueFd fd) : fd(std::move(fd)) {}
    UniqueFd fd; // closing it gives the lock back
};

} // namespace

std::string NativeCacheFiles::cache_folder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/embark";
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.cache/embark" : std::string();
}

std::optional<FileFacts> NativeCacheFiles::facts(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileFacts{static_cast<uint64_t>(status.st_size),
                     static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                         static_cast<uint64_t>(status.st_mtim.tv_nsec),
                     S_ISDIR(status.st_mode)};
}

std::string NativeCacheFiles::real_path(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string NativeCacheFiles::read_part(const std::string& path, uint64_t offset, size_t size) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string bytes(fd ? size : 0, '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t read =
            ::pread(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) break;
        done += static_cast<size_t>(read);
    }
    bytes.resize(done);
    return bytes;
}

bool NativeCacheFiles::make_folders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool NativeCacheFiles::write(const std::string& path, std::string_view bytes) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    while (fd && !bytes.empty()) {
        ssize_t written = ::write(fd.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return fd && ::close(fd.release()) == 0;
}

bool NativeCacheFiles::replace(const std::string& from, const std::string& to) {
    return replace_file(from, to);
}

bool NativeCacheFiles::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || ::rmdir(path.c_str()) == 0;
}

void NativeCacheFiles::touch(const std::string& path) {
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

std::unique_ptr<FileLock> NativeCacheFiles::try_lock(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
    return std::make_unique<FlockLock>(std::move(fd));
}

uint64_t NativeCacheFiles::process_number() {
    return static_cast<uint64_t>(::getpid());
}

} // namespace embark::platform
