// %NAME% references in text, expanded as the Windows environment functions
// expand them: a reference to an undefined variable stays as written, and a
// lone percent sign is an ordinary character.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace embark {

using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

std::string expand_references(std::string_view text, const VariableLookup& lookup);

} // namespace embark
