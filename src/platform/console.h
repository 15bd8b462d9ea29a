// Standard output and standard error of the process.
#pragma once

#include <string_view>

namespace embark::platform {

class Console {
public:
    virtual ~Console() = default;
    // Writes the text with one output call and flushes it.
    virtual void write(std::string_view text) = 0;
    // Whether the process has an error stream to write to (a service or a
    // window-only program may have none).
    virtual bool has_error_stream() = 0;
    virtual void write_error(std::string_view text) = 0;
    // Shows the lines written so far that had nowhere to go (a window-only
    // program started without a console) to the user, once, at the end.
    virtual void show_held_lines() {}
};

} // namespace embark::platform
