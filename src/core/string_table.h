// The message catalogue as a string table, for executables that carry no
// resource section: the launcher hands it to the platform layer, whose string
// reader then finds the texts as the Windows one finds its resources. Empty
// where the executable's resources carry the catalogue.
#pragma once

#include <span>

#include "platform/resources.h"

namespace embark {

std::span<const platform::StringTableEntry> message_string_table();

} // namespace embark
