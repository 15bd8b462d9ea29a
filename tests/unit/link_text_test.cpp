// The hyperlink's text side: link colours from the browser settings and the
// label's link markup.
#include <gtest/gtest.h>

#include <string>

#include "ui/link_text.h"

namespace embark {
namespace {

// Bytes 0x81 to 0x9F open a double-byte character, as in Shift JIS.
class DoubleByteCodePage final : public platform::CodePage {
public:
    bool is_lead_byte(unsigned char byte) const override { return byte >= 0x81 && byte <= 0x9F; }
};

constexpr uint32_t rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red | green << 8 | blue << 16;
}

TEST(LinkText, ColourStrings) {
    const DoubleByteCodePage code_page;
    const struct {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"255,255,255", rgb(255, 255, 255)},
        {"0,128,255", rgb(0, 128, 255)},
        {"300,0,0", rgb(44, 0, 0)},
        {" 7, +8,\t9x", rgb(7, 8, 9)},
        {"a,b,-1", rgb(0, 0, 255)},
        {"4294967297,0,0", rgb(1, 0, 0)},
        {"\x81,1,2,3", rgb(0, 2, 3)}, // the first comma is a trail byte
        {"0,0", invalid_colour},
        {"1,2,", invalid_colour},
        {"-1,0,0", invalid_colour},
        {"0,-1,0", invalid_colour},
        {"", invalid_colour},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_link_colour(c.text, code_page), c.expected) << c.text;
    }
}

TEST(LinkText, MarkupParts) {
    const std::string none = "-";
    auto show = [&](const std::optional<std::string_view>& part) { return part ? std::string(*part) : none; };
    // Each label is a prefix of its text, so that a read past the label's end
    // would find the rest of a tag.
    const struct {
        const char* text;
        size_t length;
        const char* before;
        const char* link;
        const char* after;
    } cases[] = {
        {"one <a>two</A> three", 20, "one ", "two", " three"},
        {"<A>link</a>", 11, "-", "link", "-"},
        {"x <b>y</b> <A>z</A>", 19, "x <b>y</b> ", "z", "-"},
        {"no tags", 7, "-", "-", "-"},
        {"open <A>only", 12, "open ", "", "-"},
        {"cut <A>", 6, "-", "-", "-"},
        {"cut <A>link</A>", 14, "cut ", "", "-"},
        {"<A>a</A>b</A>c", 14, "-", "a", "b</A>c"},
    };
    for (const auto& c : cases) {
        std::string_view label = std::string_view(c.text).substr(0, c.length);
        MarkupParts parts = split_markup(label);
        EXPECT_EQ(show(parts.before), c.before) << label;
        EXPECT_EQ(show(parts.link), c.link) << label;
        EXPECT_EQ(show(parts.after), c.after) << label;
    }
}

} // namespace
} // namespace embark
