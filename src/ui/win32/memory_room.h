// Strings of the window code that survive running out of memory.
#pragma once

#include <cstddef>
#include <string>

namespace embark {

// Makes room for the given number of bytes; false, and none kept, when
// memory runs out.
bool make_room(std::string& buffer, size_t size);
// Keeps a copy of the text, terminating zero included; false, and nothing
// kept, when memory runs out.
bool keep_copy(std::string& kept, const char* text);

} // namespace embark
