#include "core/string_table.h"

namespace embark {

// The executable's resources carry the catalogue: no second copy is linked in.
std::span<const platform::StringTableEntry> message_string_table() {
    return {};
}

} // namespace embark
