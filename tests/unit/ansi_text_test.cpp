// Character walks over ANSI text: a double-byte character is one step, so its
// trail byte is never taken for a dot, a backslash or white space.
#include <gtest/gtest.h>

#include <string>

#include "fake_system.h"
#include "launcher/ansi_text.h"

namespace embark {
namespace {

using testing::FakeCodePage;

FakeCodePage single_byte() {
    return FakeCodePage{};
}

FakeCodePage shift_jis() {
    FakeCodePage page;
    page.use_shift_jis();
    return page;
}

constexpr size_t npos = std::string_view::npos;

struct FindLastCase {
    const char* text;
    char wanted;
    bool double_byte;
    size_t expected;
};

TEST(AnsiTextTest, FindLastCharIgnoresTrailBytes) {
    // 0x95 0x5C is a Shift-JIS character whose trail byte is a backslash.
    const FindLastCase cases[] = {
        {"C:\\Apps\\tool.exe", '\\', false, 7},
        {"C:\\Apps\\tool.exe", '.', false, 12},
        {"tool", '.', false, npos},
        {"", '.', false, npos},
        {"C:\\\x95\x5C" "tool", '\\', true, 2},
        {"C:\\\x95\x5C" "tool", '\\', false, 4},
        {"a.\x83." "b", '.', true, 1},
        {"a.\x83." "b", '.', false, 3},
        {"\x81\\", '\\', true, npos},
        {"\x81", '\\', true, npos}, // a lead byte cut off at the end
    };
    for (const FindLastCase& c : cases) {
        const FakeCodePage page = c.double_byte ? shift_jis() : single_byte();
        EXPECT_EQ(find_last_char(c.text, c.wanted, page), c.expected) << c.text;
    }
}

TEST(AnsiTextTest, ReplaceCharLeavesTrailBytesAlone) {
    std::string plain = "com.example.App";
    replace_char(plain, '.', '/', single_byte());
    EXPECT_EQ(plain, "com/example/App");

    std::string mixed = "jp.\x83.Main.App";
    std::string as_single_bytes = mixed;
    replace_char(mixed, '.', '/', shift_jis());
    replace_char(as_single_bytes, '.', '/', single_byte());
    EXPECT_EQ(mixed, "jp/\x83.Main/App");
    EXPECT_EQ(as_single_bytes, "jp/\x83/Main/App");
}

struct EqualsCase {
    const char* a;
    const char* b;
    bool double_byte;
    bool expected;
};

TEST(AnsiTextTest, EqualsIgnoringCaseFoldsOnlySingleByteLetters) {
    const EqualsCase cases[] = {
        {"Yes", "yes", false, true},
        {"YES", "Yes", false, true},
        {"jrockit", "JROCKIT", false, true},
        {"", "", false, true},
        {"Yes", "Yes ", false, false},
        {"Yes", "Ye", false, false},
        {"no", "Yes", false, false},
        {"[", "{", false, false}, // only letters fold
        // 0x82 0x61 and 0x82 0x41 are different double-byte characters.
        {"\x82\x61", "\x82\x41", true, false},
        {"\x82\x61", "\x82\x41", false, true},
        {"\x82\x61x", "\x82\x61X", true, true},
        {"\x82\x61", "a\x61", true, false},
    };
    for (const EqualsCase& c : cases) {
        const FakeCodePage page = c.double_byte ? shift_jis() : single_byte();
        EXPECT_EQ(equals_ignoring_case(c.a, c.b, page), c.expected) << c.a << " / " << c.b;
    }
}

struct TrimCase {
    std::string text;
    bool double_byte;
    std::string expected;
};

TEST(AnsiTextTest, TrimWhiteSpaceKeepsDoubleByteCharactersWhole) {
    const TrimCase cases[] = {
        {" \t a b \r\n\v\f", false, "a b"},
        {"", false, ""},
        {" \t ", false, ""},
        {"abc", false, "abc"},
        // A (made-up) double-byte character whose trail byte is a blank.
        {"ab\x81 ", true, "ab\x81 "},
        {"ab\x81 ", false, "ab\x81"},
        {" \x81  ", true, "\x81 "},
    };
    for (const TrimCase& c : cases) {
        const FakeCodePage page = c.double_byte ? shift_jis() : single_byte();
        EXPECT_EQ(trim_white_space(c.text, page), c.expected) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace embark
