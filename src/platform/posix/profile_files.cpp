// Profile files on POSIX: the project's own reader and writer of the
// initialisation-file format.
#include "platform/posix/posix_system.h"

#include <cstdio>

#include "platform/ini_file.h"
#include "platform/posix/unique_file.h"

namespace embark::platform::posix {

namespace {

bool read_whole_file(const std::string& path, std::string& contents) {
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    contents.clear();
    char chunk[16384];
    size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, read);
    }
    return !std::ferror(file.get());
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
        if (std::fclose(out.release()) != 0 || !written) {
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
