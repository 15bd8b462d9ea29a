#include "platform/posix/posix_system.h"

namespace embark::platform {

std::string NativeResources::load_string(unsigned id) {
    for (const StringTableEntry& entry : table_) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

} // namespace embark::platform
