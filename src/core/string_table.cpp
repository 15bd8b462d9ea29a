// The message catalogue as the executable's string table, for systems whose
// executables carry no resources: the platform layer's string reader finds it
// by its linked name, as the Windows one finds the resource section.
#include "core/message_texts.h"
#include "platform/system.h"

namespace embark::platform {

#define EMBARK_STRING_TABLE_ENTRY(id, text) {id, text},
const StringTableEntry string_table[] = {EMBARK_MESSAGE_CATALOGUE(EMBARK_STRING_TABLE_ENTRY)};
#undef EMBARK_STRING_TABLE_ENTRY
const size_t string_table_size = sizeof string_table / sizeof string_table[0];

} // namespace embark::platform
