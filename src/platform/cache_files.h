// The files of the startup cache: what a file is, reads of parts of it,
// publication under a final name in one step, and a lock per cache entry that
// the system gives back when its process ends, however it ends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace embark::platform {

struct FileFacts {
    uint64_t size = 0;
    uint64_t modified = 0; // nanoseconds since 1970
    bool is_folder = false;
};

// Held while it lives.
class FileLock {
public:
    virtual ~FileLock() = default;
};

class CacheFiles {
public:
    virtual ~CacheFiles() = default;
    // The user's folder for embark's caches: %LOCALAPPDATA%\embark\cache on
    // Windows, $XDG_CACHE_HOME/embark (else ~/.cache/embark) elsewhere; empty
    // when the user has none. It may not exist yet.
    virtual std::string cache_folder() = 0;
    virtual std::optional<FileFacts> facts(const std::string& path) = 0;
    // The absolute path with links and relative steps resolved, as far as the
    // system resolves them; the path as given when it cannot be.
    virtual std::string real_path(const std::string& path) = 0;
    // Up to `size` bytes from `offset`; fewer at the end, none when the file cannot be read.
    virtual std::string read_part(const std::string& path, uint64_t offset, size_t size) = 0;
    // The folder and every missing folder above it, for this user alone.
    virtual bool make_folders(const std::string& path) = 0;
    // The whole file, created or emptied first.
    virtual bool write(const std::string& path, std::string_view bytes) = 0;
    // Renames, replacing `to` when it exists.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    // A file, or an empty folder.
    virtual bool remove(const std::string& path) = 0;
    // The file's modification time becomes now.
    virtual void touch(const std::string& path) = 0;
    // An exclusive lock on the file (created when missing); null when another
    // process holds it or it cannot be made.
    virtual std::unique_ptr<FileLock> try_lock(const std::string& path) = 0;
    // A number that no other running process uses: the process id.
    virtual uint64_t process_number() = 0;
};

} // namespace embark::platform
