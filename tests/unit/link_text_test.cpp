#include <gtest/gtest.h>

#include "fake_system.h"
#include "ui/link_text.h"

namespace embark {

TEST(LinkTextTest, ColourStrings) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"255,255,255", 0xFFFFFF}, {"0,128,255", 0xFF8000}, {"300,0,0", 0x00002C}, {" 7, +8,\t9x", 0x090807},
        {"a,b,-1", 0xFF0000}, {"4294967297,0,0", 0x000001}, {"\x81,1,2,3", 0x030200}, // a trail byte ','
        {"0,0", invalid_colour}, {"1,2,", invalid_colour}, {"-1,0,0", invalid_colour}, {"0,-1,0", invalid_colour}};
    for (const auto& [text, colour] : cases) EXPECT_EQ(parse_link_colour(text, testing::FakeCodePage(true)), colour) << text;
}

TEST(LinkTextTest, MarkupParts) {
    // Each label is the first `length` bytes of its text, so that a read past the label's end would find the rest of
    // a tag. {}: no such part.
    struct Case { const char* text; size_t length; std::optional<std::string_view> before, link, after; };
    const Case cases[] = {{"one <a>two</A> three", 20, "one ", "two", " three"}, {"<A>link</a>", 11, {}, "link", {}},
        {"x <b>y</b> <A>z</A>", 19, "x <b>y</b> ", "z", {}}, {"no tags", 7, {}, {}, {}}, {"open <A>only", 12, "open ", "", {}},
        {"cut <A>", 6, {}, {}, {}}, {"cut <A>link</A>", 14, "cut ", "", {}}, {"<A>a</A>b</A>c", 14, {}, "a", "b</A>c"}};
    for (const auto& [text, length, before, link, after] : cases) {
        SCOPED_TRACE(std::string(text, length));
        const MarkupParts parts = split_markup(std::string_view(text).substr(0, length));
        EXPECT_EQ(parts.before, before);
        EXPECT_EQ(parts.link, link);
        EXPECT_EQ(parts.after, after);
    }
}

} // namespace embark
