// Profile files on POSIX: the project's own reader and writer of the
// initialisation-file format.
#include "platform/posix/posix_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#include "platform/ini_file.h"
#include "platform/posix/unique_file.h"

namespace embark::platform::posix {

namespace {

// Only a regular file is a settings file: a FIFO would hold the start up, and
// a device can be endless. Opening does not wait for a FIFO's writer.
UniqueFile open_regular_file(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status;
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return UniqueFile();
    }
    UniqueFile file(::fdopen(fd.get(), "rb"));
    if (file) {
        fd.release();
    }
    return file;
}

bool read_whole_file(const std::string& path, std::string& contents) {
    UniqueFile file = open_regular_file(path);
    if (!file) {
        return false;
    }
    contents.clear();
    char chunk[16384];
    size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, read);
    }
    if (std::ferror(file.get())) {
        return false;
    }
    contents = ini::decode_file_text(std::move(contents));
    return true;
}

} // namespace

const std::string* PosixProfileFiles::contents_of(const std::string& file) {
    if (file != cached_file_) {
        cached_file_ = file;
        cached_exists_ = read_whole_file(file, cached_contents_);
    }
    return cached_exists_ ? &cached_contents_ : nullptr;
}

std::string PosixProfileFiles::read(const std::string& file, const char* section, const char* key) {
    const std::string* contents = contents_of(file);
    if (contents == nullptr) {
        return {};
    }
    return ini::find_value(*contents, section, key).value_or(std::string());
}

std::vector<std::string> PosixProfileFiles::key_names(const std::string& file, const char* section) {
    const std::string* contents = contents_of(file);
    return contents == nullptr ? std::vector<std::string>() : ini::key_names(*contents, section);
}

bool PosixProfileFiles::write(const std::string& file, const char* section, const char* key,
                              const std::string& value) {
    std::string contents;
    read_whole_file(file, contents); // a missing file is created
    std::string updated = ini::set_value(contents, section, key, value);
    cached_file_.clear(); // the next read sees the file as written
    // Write beside it and rename, so a failed write never leaves half a file.
    std::string temporary = file + ".new";
    {
        UniqueFile out(std::fopen(temporary.c_str(), "wb"));
        if (!out) {
            return false;
        }
        bool written = std::fwrite(updated.data(), 1, updated.size(), out.get()) == updated.size();
        if (!out.close() || !written) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace embark::platform::posix
