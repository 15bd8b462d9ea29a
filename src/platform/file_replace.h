// Putting a finished file in place of another in one step: a reader sees the
// old file or the new one, never a part.
#pragma once

#include <string>

namespace embark::platform {

// Renames `from` to `to`, replacing `to` when it exists; false (with the
// system's error number in errno) when it cannot.
bool replace_file(const std::string& from, const std::string& to);

} // namespace embark::platform
