// The process's environment variables.
#pragma once

#include <optional>
#include <string>

namespace embark::platform {

class Environment {
public:
    virtual ~Environment() = default;
    // The whole value, however long; nullopt when the variable is not defined.
    virtual std::optional<std::string> get(const char* name) = 0;
    virtual bool set(const char* name, const std::string& value) = 0;
    // Replaces %NAME% references with the variables' values, each looked up
    // on its own with get(); references to undefined variables stay as written.
    std::string expand(const std::string& text);
};

} // namespace embark::platform
