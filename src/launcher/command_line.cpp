#include "launcher/command_line.h"

#include "core/ansi_text.h"

namespace embark {

std::vector<std::string> split_command_line(std::string_view command_line,
                                            const platform::CodePage& code_page) {
    std::vector<std::string> tokens;
    std::string_view text = trim_white_space(command_line, code_page);
    size_t position = 0;
    auto skip_blanks = [&] {
        while (position < text.size() && text[position] == ' ') {
            ++position;
        }
    };
    while (position < text.size()) {
        if (text[position] == '"') {
            size_t start = position + 1;
            size_t closing = text.find('"', start);
            if (closing == std::string_view::npos) {
                tokens.emplace_back(text.substr(start));
                break;
            }
            tokens.emplace_back(text.substr(start, closing - start));
            position = closing + 1;
        } else {
            size_t blank = text.find(' ', position);
            if (blank == std::string_view::npos) {
                tokens.emplace_back(text.substr(position));
                break;
            }
            tokens.emplace_back(text.substr(position, blank - position));
            position = blank;
        }
        skip_blanks();
    }
    if (!tokens.empty()) {
        tokens.erase(tokens.begin());
    }
    return tokens;
}

void build_argument_list(platform::System& system, std::vector<std::string>& arguments) {
    std::optional<std::string> raw = system.process.command_line();
    std::vector<std::string> split =
        raw ? split_command_line(*raw, system.code_page) : system.process.argument_vector();
    arguments.insert(arguments.end(), split.begin(), split.end());
}

} // namespace embark
