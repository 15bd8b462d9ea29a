#include "core/trace.h"

#include "core/ansi_text.h"

namespace embark {

Trace::Trace(platform::System& system) {
    std::optional<std::string> value = system.environment.get("EMBARK_TRACE");
    if (!value || value->empty()) {
        return;
    }
    if (system.console.has_error_stream()) {
        system_ = &system;
    } else if (value->find_first_of({'/', system.paths.separator}) != std::string::npos) {
        system_ = &system;
        file_ = std::move(*value);
    }
}

void Trace::line(std::string_view format, std::initializer_list<FormatArgument> arguments) const {
    if (system_ == nullptr) {
        return;
    }
    std::string text = "embark: " + format_message(format, arguments) + '\n';
    if (file_.empty()) {
        system_->console.write_error(text);
    } else {
        system_->files.append(file_, text);
    }
}

std::string shortened(std::string_view text, const platform::CodePage& code_page) {
    constexpr size_t longest = 160;
    constexpr size_t kept_end = 60;
    if (text.size() <= longest) {
        return std::string(text);
    }
    size_t head = 0;
    while (head < longest - kept_end - 5) {
        head = next_char(text, head, code_page);
    }
    size_t tail = head;
    while (tail < text.size() - kept_end) {
        tail = next_char(text, tail, code_page);
    }
    return std::string(text.substr(0, head)) + " ... " + std::string(text.substr(tail));
}

} // namespace embark
