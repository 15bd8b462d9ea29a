// The launcher's own command-line splitting: blanks separate, double quotes
// group, nothing escapes. The first token (the program name) is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace embark {

std::vector<std::string> split_command_line(std::string_view command_line,
                                            const platform::CodePage& code_page);

// The arguments for the application: the process command line without the program name.
void build_argument_list(platform::System& system, std::vector<std::string>& arguments);

} // namespace embark
