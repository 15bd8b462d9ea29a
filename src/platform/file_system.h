// Files and folders.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace embark::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when a directory search for the path finds an entry (a file or a folder).
    virtual bool entry_exists(const std::string& path) = 0;
    virtual void create_directory(const std::string& path) = 0;
    virtual void set_current_directory(const std::string& path) = 0;
    // Whether two file names name one file, as the system compares paths.
    virtual bool same_file(const std::string& a, const std::string& b) = 0;
    // The first `size` bytes of a file, fewer when it is shorter; empty when it cannot be read.
    virtual std::string read_start(const std::string& path, size_t size) = 0;
    // The names of the folders in a folder, links to folders left out, in the
    // order the system lists them; empty when it cannot be read.
    virtual std::vector<std::string> subfolder_names(const std::string& folder) = 0;
    // The names of the files in a folder (links to files included), in the
    // order the system lists them; empty when it cannot be read.
    virtual std::vector<std::string> file_names(const std::string& folder) = 0;
    // Adds the text at the end of the file, which is created when missing.
    virtual bool append(const std::string& path, std::string_view text) = 0;
};

} // namespace embark::platform
