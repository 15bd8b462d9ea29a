#include "core/executable.h"

#include "core/ansi_text.h"

namespace embark {

bool executable_path(platform::System& system, const Messages& messages, std::string& path) {
    platform::Expected<std::string> found = system.process.executable_path();
    if (found) {
        path = std::move(*found);
        return true;
    }
    messages.print_error(messages.load(MessageId::windows_exception),
                         messages.load(MessageId::module_path_failed), found.error());
    return false;
}

std::string working_directory_for(std::string_view executable, char separator,
                                  const platform::CodePage& code_page) {
    size_t last = find_last_char(executable, separator, code_page);
    if (last == std::string_view::npos || last == 0) {
        return {};
    }
    return std::string(executable.substr(0, last));
}

void apply_working_directory_override(platform::System& system, const Messages& messages) {
    std::string path;
    if (!executable_path(system, messages, path)) {
        return;
    }
    std::string folder = working_directory_for(path, system.paths.separator, system.code_page);
    if (!folder.empty()) {
        system.files.set_current_directory(folder);
    }
}

} // namespace embark
