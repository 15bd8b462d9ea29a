// The trace of a start: one line per decision (the settings files read, each
// runtime considered and why it was taken or passed over, the library, the
// options, the main class, the modes' choices), written only when the
// environment variable EMBARK_TRACE is set and not empty. The lines go to the
// error stream; a process without one appends them to the file that the
// variable names, when it names a path.
#pragma once

#include <string>

#include "core/format.h"
#include "platform/system.h"

namespace embark {

class Trace {
public:
    Trace() = default; // off
    explicit Trace(platform::System& system);

    explicit operator bool() const { return system_ != nullptr; }
    // "embark: <text>", the text formatted as a message is. Nothing when off.
    void line(std::string_view format, std::initializer_list<FormatArgument> arguments = {}) const;

private:
    platform::System* system_ = nullptr;
    std::string file_; // empty: the error stream
};

// A long text cut in its middle, so that a trace line stays readable.
std::string shortened(std::string_view text, const platform::CodePage& code_page);

} // namespace embark
