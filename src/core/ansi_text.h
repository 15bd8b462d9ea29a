// Walks over text in the process's ANSI code page. A double-byte character is
// stepped over whole, so its trail byte is never taken for a dot, a backslash
// or a digit.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace embark {

// Index of the character after the one at `index` (never past the end).
size_t next_char(std::string_view text, size_t index, const platform::CodePage& code_page);

// Index of the last single-byte character `wanted`, or npos.
size_t find_last_char(std::string_view text, char wanted, const platform::CodePage& code_page);

// Index of the first single-byte character `wanted` at or after `from`, or npos.
size_t find_char(std::string_view text, char wanted, size_t from, const platform::CodePage& code_page);

void replace_char(std::string& text, char from, char to, const platform::CodePage& code_page);

// Case-insensitive comparison: ASCII letters fold, double-byte characters compare exactly.
bool equals_ignoring_case(std::string_view a, std::string_view b, const platform::CodePage& code_page);

bool is_ascii_digit(char c);

// Removes leading and trailing white space (blank, tab, line feed, carriage
// return, vertical tab, form feed).
std::string_view trim_white_space(std::string_view text, const platform::CodePage& code_page);

} // namespace embark
