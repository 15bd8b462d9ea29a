// Where the running executable lies, and the working-directory override that
// moves the current directory to its folder.
#pragma once

#include <string>
#include <string_view>

#include "core/messages.h"
#include "platform/system.h"

namespace embark {

// The full path of the running executable, or false after reporting why it is
// unavailable (message 202 with text 208 and the system error code).
bool executable_path(platform::System& system, const Messages& messages, std::string& path);

// The folder to make current: the path before its last separator. Empty when
// there is none or it is the first byte. An executable in a drive's root gives
// the drive letter and colon alone.
std::string working_directory_for(std::string_view executable, char separator,
                                  const platform::CodePage& code_page);

void apply_working_directory_override(platform::System& system, const Messages& messages);

} // namespace embark
