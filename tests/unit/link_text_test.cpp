// The hyperlink's text side: link colours from the browser settings and the
// label's link markup.
#include <gtest/gtest.h>

#include <string>

#include "ui/link_text.h"

namespace embark {
namespace {

TEST(LinkText, ColourStrings) {
    // Bytes 0x81 to 0x9F open a double-byte character, as in Shift JIS.
    const struct : platform::CodePage {
        bool is_lead_byte(unsigned char byte) const override { return byte >= 0x81 && byte <= 0x9F; }
    } code_page;
    const std::pair<const char*, uint32_t> cases[] = {
        {"255,255,255", 0xFFFFFF}, {"0,128,255", 0xFF8000}, {"300,0,0", 0x00002C}, {" 7, +8,\t9x", 0x090807},
        {"a,b,-1", 0xFF0000}, {"4294967297,0,0", 0x000001}, {"\x81,1,2,3", 0x030200}, // a trail byte ','
        {"0,0", invalid_colour}, {"1,2,", invalid_colour}, {"-1,0,0", invalid_colour}, {"0,-1,0", invalid_colour}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parse_link_colour(text, code_page), expected) << text;
    }
}

TEST(LinkText, MarkupParts) {
    auto show = [](const std::optional<std::string_view>& part) { return part ? std::string(*part) : "-"; };
    // Each label is the first `length` bytes of its text, so that a read past
    // the label's end would find the rest of a tag.
    const struct { const char *text; size_t length; const char *before, *link, *after; } cases[] = {
        {"one <a>two</A> three", 20, "one ", "two", " three"}, {"<A>link</a>", 11, "-", "link", "-"},
        {"x <b>y</b> <A>z</A>", 19, "x <b>y</b> ", "z", "-"}, {"no tags", 7, "-", "-", "-"},
        {"open <A>only", 12, "open ", "", "-"}, {"cut <A>", 6, "-", "-", "-"},
        {"cut <A>link</A>", 14, "cut ", "", "-"}, {"<A>a</A>b</A>c", 14, "-", "a", "b</A>c"},
    };
    for (const auto& c : cases) {
        MarkupParts parts = split_markup(std::string_view(c.text).substr(0, c.length));
        EXPECT_EQ(show(parts.before) + "|" + show(parts.link) + "|" + show(parts.after),
                  std::string(c.before) + "|" + c.link + "|" + c.after)
            << c.text << " " << c.length;
    }
}

} // namespace
} // namespace embark
