// How paths are spelt on this system, and the kind of machine code it runs.
#pragma once

#include <cstdint>

namespace embark::platform {

struct PathConventions {
    char separator; // '\\' on Windows
    char list_separator; // between the folders of a search path: ';' on Windows
    const char* search_path_variable; // "Path" on Windows
    // What ends an executable's file name: ".exe" on Windows, nothing on POSIX.
    const char* executable_extension;
};

// A kind of machine code as executable files name it: their format and the
// machine number in their header (PE: 0x8664 x64, 0x14C x86; ELF: 62 x86-64).
struct MachineType {
    enum class Format : uint8_t { unknown, pe, elf };
    Format format = Format::unknown;
    uint16_t number = 0;
    bool operator==(const MachineType&) const = default;
};

} // namespace embark::platform
