#include "core/string_table.h"

#include "core/message_texts.h"

namespace embark {

std::span<const platform::StringTableEntry> message_string_table() {
#define EMBARK_STRING_TABLE_ENTRY(id, text) {id, text},
    static const platform::StringTableEntry table[] = {EMBARK_MESSAGE_CATALOGUE(EMBARK_STRING_TABLE_ENTRY)};
#undef EMBARK_STRING_TABLE_ENTRY
    return table;
}

} // namespace embark
