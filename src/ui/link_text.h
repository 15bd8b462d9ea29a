// The text side of the hyperlink control: the link colours as the browser
// settings spell them, and the "<A>...</A>" markup of a label.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/system.h"

namespace embark {

// A colour value: red in the low byte, then green, then blue.
inline constexpr uint32_t invalid_colour = 0xFFFFFFFF;

// "red,green,blue" in decimal, each number read as the C library's atoi reads
// it and reduced to its low 8 bits ("300" gives 44); invalid_colour when a
// comma is missing, nothing follows the second one, or red or green is -1.
uint32_t parse_link_colour(std::string_view text, const platform::CodePage& code_page);

// A label split at its link tags (the tags compare without regard to case).
struct MarkupParts {
    std::optional<std::string_view> before; // text ahead of "<A>", when there is some
    std::optional<std::string_view> link; // none without "<A>", empty without "</A>"
    std::optional<std::string_view> after; // text behind "</A>", when there is some
};

MarkupParts split_markup(std::string_view label);

} // namespace embark
