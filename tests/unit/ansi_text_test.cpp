#include <gtest/gtest.h>

#include "core/ansi_text.h"
#include "fake_system.h"

namespace embark {

const testing::FakeCodePage single_byte, shift_jis(true);

TEST(AnsiTextTest, FindTrimAndCompareStepOverDoubleByteCharacters) {
    // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
    EXPECT_EQ(find_last_char("C:\\Apps\\tool.exe", '\\', single_byte), 7u);
    EXPECT_EQ(find_last_char("C:\\\x95\x5Ctool", '\\', shift_jis), 2u);
    EXPECT_EQ(find_last_char("C:\\\x95\x5Ctool", '\\', single_byte), 4u);
    EXPECT_EQ(find_char("a.\x83..", '.', 1, shift_jis), 1u);
    EXPECT_EQ(find_char("a.\x83..", '.', 2, shift_jis), 4u);
    EXPECT_EQ(find_char("a.\x83.", '.', 2, shift_jis), std::string_view::npos);
    EXPECT_EQ(trim_white_space(" \t a b \r\n\v\f", single_byte), "a b");
    // A made-up double-byte character whose trail byte is a blank.
    EXPECT_EQ(trim_white_space("ab\x81 ", shift_jis), "ab\x81 ");
    EXPECT_EQ(trim_white_space(" \x81  ", shift_jis), "\x81 ");
    // Only single-byte letters fold; 0x82 0x61 and 0x82 0x41 are two double-byte characters.
    struct Case { const char* a; const char* b; bool double_byte, equal; };
    const Case cases[] = {{"Yes", "yes", false, true}, {"Az", "aZ", false, true}, {"Yes", "Yes ", false, false},
        {"Yes", "Ye", false, false}, {"[", "{", false, false}, {"\x82\x61", "\x82\x41", true, false},
        {"\x82\x61", "\x82\x41", false, true}, {"\x82\x61x", "\x82\x61X", true, true}, {"\x82\x61", "a\x61", true, false},
        {"x\x81", "X\x81", true, true}}; // a lead byte cut off at the end
    for (const auto& [a, b, double_byte, equal] : cases) {
        EXPECT_EQ(equals_ignoring_case(a, b, double_byte ? shift_jis : single_byte), equal) << a << " / " << b;
    }
}

} // namespace embark
