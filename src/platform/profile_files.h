// Initialisation files ("profile" files in Windows terms).
#pragma once

#include <string>
#include <vector>

namespace embark::platform {

// Every read passes an empty default, so an absent file, section or key all read as "".
class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;
    virtual std::string read(const std::string& file, const char* section, const char* key) = 0;
    // The names of the keys in the section, in file order; none for an absent file or section.
    virtual std::vector<std::string> key_names(const std::string& file, const char* section) = 0;
    virtual bool write(const std::string& file, const char* section, const char* key,
                       const std::string& value) = 0;
};

} // namespace embark::platform
