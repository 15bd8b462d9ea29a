// The window code's two allocations that may fail without ending the
// process: the only code of the launcher built to catch an exception.
#include "ui/win32/memory_room.h"

#include <cstring>
#include <new>

namespace embark {

bool make_room(std::string& buffer, size_t size) {
    try {
        buffer.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        buffer.clear();
        return false;
    }
}

bool keep_copy(std::string& kept, const char* text) {
    try {
        kept.assign(text, std::strlen(text) + 1);
        return true;
    } catch (const std::bad_alloc&) {
        kept.clear();
        return false;
    }
}

} // namespace embark
