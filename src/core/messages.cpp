#include "core/messages.h"

#include <cstdio>

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
    char digits[24];
    int length = std::snprintf(digits, sizeof digits, "%lld", number_);
    out.append(digits, static_cast<size_t>(length));
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

std::string Messages::load(MessageId id) const {
    return system_.resources.load_string(static_cast<unsigned>(id));
}

std::string Messages::load_and_format(MessageId id, std::initializer_list<FormatArgument> arguments) const {
    return format_message(load(id), arguments);
}

void Messages::print_error(std::string_view text) const {
    std::string line;
    line.reserve(text.size() + 9);
    line.append("Error: ").append(text).append(" \n");
    system_.console.write(line);
}

void Messages::print_error(std::string_view format, const FormatArgument& argument) const {
    print_error(format_message(format, {argument}));
}

void Messages::print_error(std::string_view format, const FormatArgument& first,
                           const FormatArgument& second) const {
    print_error(format_message(format, {first, second}));
}

} // namespace embark
