// Texts of the executable's string table.
#pragma once

#include <string>

namespace embark::platform {

class Resources {
public:
    virtual ~Resources() = default;
    // Empty when the id is not in the table.
    virtual std::string load_string(unsigned id) = 0;
};

// A string table entry, for executables that carry no resource section and
// hand their table to the platform layer instead.
struct StringTableEntry {
    unsigned id;
    const char* text;
};

} // namespace embark::platform
