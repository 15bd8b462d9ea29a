#include "core/messages.h"

namespace embark {

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

void Messages::print_hint(MessageId id, std::initializer_list<FormatArgument> arguments) const {
    system_.console.write(load_and_format(id, arguments) + "\n");
}

} // namespace embark
