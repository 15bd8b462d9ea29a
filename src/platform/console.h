// Standard output of the process.
#pragma once

#include <string_view>

namespace embark::platform {

class Console {
public:
    virtual ~Console() = default;
    // Writes the text with one output call and flushes it.
    virtual void write(std::string_view text) = 0;
};

} // namespace embark::platform
