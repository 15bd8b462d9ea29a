// The running process: its executable, its command line, its user's folders.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace embark::platform {

class Process {
public:
    virtual ~Process() = default;
    // The full path of the running executable.
    virtual Expected<std::string> executable_path() = 0;
    // The raw command line, where the system keeps one for the process (Windows).
    virtual std::optional<std::string> command_line() = 0;
    // The arguments after the program name, where the system passes them as a
    // vector instead (POSIX).
    virtual std::vector<std::string> argument_vector() = 0;
    // The user's application data folder, which holds per-user settings files
    // (the Windows NT family; "" when its variable is unset); nullopt where the
    // system keeps no per-user settings file.
    virtual std::optional<std::string> application_data_folder() = 0;
    virtual void use_system_default_locale() = 0;
};

} // namespace embark::platform
