#include "platform/posix/posix_system.h"

namespace embark::platform {

std::string NativeResources::load_string(unsigned id) {
    for (size_t i = 0; i < string_table_size; ++i) {
        if (string_table[i].id == id) {
            return string_table[i].text;
        }
    }
    return {};
}

} // namespace embark::platform
