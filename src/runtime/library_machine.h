// Which machine a shared library's code is for, told from its first bytes.
#pragma once

#include <string_view>

#include "platform/system.h"

namespace embark {

// As many bytes from the start of a library as the headers of the libraries
// that runtimes ship take.
constexpr size_t library_header_size = 4096;

// The machine that a PE image's file header or an ELF header names; unknown
// for any other bytes, and for headers cut off before the machine field.
platform::MachineType library_machine(std::string_view start);

} // namespace embark
