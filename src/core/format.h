// Printf-style formatting of the launcher's texts: %s and %d only.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace embark {

// One argument of a message: a text for %s or a signed integer for %d.
class FormatArgument {
public:
    FormatArgument(std::string_view text) : text_(text), is_number_(false) {}
    FormatArgument(const std::string& text) : text_(text), is_number_(false) {}
    FormatArgument(const char* text) : text_(text), is_number_(false) {}
    FormatArgument(long long number) : number_(number), is_number_(true) {}
    FormatArgument(int number) : number_(number), is_number_(true) {}
    FormatArgument(long number) : number_(number), is_number_(true) {}
    // The system's error number as a signed 32-bit value, as Windows shows its codes.
    FormatArgument(platform::SystemError error)
        : number_(static_cast<int32_t>(error.code)), is_number_(true) {}

    void append_text(std::string& out) const;
    void append_number(std::string& out) const;

private:
    std::string_view text_;
    long long number_ = 0;
    bool is_number_;
};

// Fills %s and %d in order; %% is a percent sign. Arguments are inserted,
// never read as a format, and a placeholder without an argument stays empty.
std::string format_message(std::string_view format, std::initializer_list<FormatArgument> arguments);

} // namespace embark
