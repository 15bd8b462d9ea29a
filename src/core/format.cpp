#include "core/format.h"

#include <charconv>

namespace embark {

void FormatArgument::append_text(std::string& out) const {
    if (is_number_) {
        append_number(out);
    } else {
        out.append(text_);
    }
}

void FormatArgument::append_number(std::string& out) const {
    if (!is_number_) {
        return;
    }
    // Not the printf family: its formatter would take a tenth of the Windows executable.
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number_).ptr);
}

std::string format_message(std::string_view format, std::initializer_list<FormatArgument> arguments) {
    std::string out;
    out.reserve(format.size() + 64);
    auto next_argument = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out.push_back(c);
            continue;
        }
        char conversion = format[i + 1];
        if (conversion == '%') {
            out.push_back('%');
            ++i;
        } else if (conversion == 's' || conversion == 'd') {
            if (next_argument != arguments.end()) {
                if (conversion == 's') {
                    next_argument->append_text(out);
                } else {
                    next_argument->append_number(out);
                }
                ++next_argument;
            }
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace embark
