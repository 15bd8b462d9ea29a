// Text: walks over ANSI text (a double-byte character is one step, so its trail byte is never a dot, a backslash
// or a blank), the command line, the messages, the initialisation-file format, and the hyperlink's text side (link
// colours from the browser settings, the label's link markup).
#include <gtest/gtest.h>

#include "fake_system.h"
#include "core/ansi_text.h"
#include "launcher/command_line.h"
#include "core/messages.h"
#include "ui/link_text.h"

namespace embark {
namespace {

using namespace std::string_literals;
using testing::Strings;
constexpr size_t npos = std::string_view::npos;
const testing::FakeCodePage single_byte, shift_jis(true);

TEST(AnsiTextTest, FindTrimAndCompareStepOverDoubleByteCharacters) {
    // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
    EXPECT_EQ(find_last_char("C:\\Apps\\tool.exe", '\\', single_byte), 7u);
    EXPECT_EQ(find_last_char("C:\\\x95\x5Ctool", '\\', shift_jis), 2u);
    EXPECT_EQ(find_last_char("C:\\\x95\x5Ctool", '\\', single_byte), 4u);
    EXPECT_EQ(find_char("a.\x83..", '.', 1, shift_jis), 1u);
    EXPECT_EQ(find_char("a.\x83..", '.', 2, shift_jis), 4u);
    EXPECT_EQ(find_char("a.\x83.", '.', 2, shift_jis), npos);
    EXPECT_EQ(trim_white_space(" \t a b \r\n\v\f", single_byte), "a b");
    // A made-up double-byte character whose trail byte is a blank.
    EXPECT_EQ(trim_white_space("ab\x81 ", shift_jis), "ab\x81 ");
    EXPECT_EQ(trim_white_space(" \x81  ", shift_jis), "\x81 ");
    // Only single-byte letters fold; 0x82 0x61 and 0x82 0x41 are two double-byte characters.
    const std::tuple<const char*, const char*, bool, bool> cases[] = { // double-byte, equal
        {"Yes", "yes", false, true}, {"Az", "aZ", false, true}, {"Yes", "Yes ", false, false}, {"Yes", "Ye", false, false},
        {"[", "{", false, false}, {"\x82\x61", "\x82\x41", true, false}, {"\x82\x61", "\x82\x41", false, true},
        {"\x82\x61x", "\x82\x61X", true, true}, {"\x82\x61", "a\x61", true, false},
        {"x\x81", "X\x81", true, true}}; // a lead byte cut off at the end
    for (const auto& [a, b, double_byte, expected] : cases) {
        EXPECT_EQ(equals_ignoring_case(a, b, double_byte ? shift_jis : single_byte), expected) << a << " / " << b;
    }
}

TEST(CommandLineTest, SplitsAtBlanksQuotesGroupAndTheProgramNameGoes) {
    const std::pair<const char*, Strings> cases[] = {
        {"\"C:\\Program Files\\tool.exe\" a b", {"a", "b"}}, {"C:\\Program Files\\tool.exe a", {"Files\\tool.exe", "a"}},
        {"\"C:\\My Apps\\tool.exe\"arg", {"arg"}}, {"tool x\"y z\"", {"x\"y", "z\""}}, {"tool a \"\" b", {"a", "", "b"}},
        {"tool \"a\"b", {"a", "b"}}, {"tool a \"b  c d", {"a", "b  c d"}}, {" \t tool   a\tb    c \t\r\n", {"a\tb", "c"}},
        {"tool", {}}, {"", {}}};
    for (const auto& [line, expected] : cases) EXPECT_EQ(split_command_line(line, single_byte), expected) << line;
    testing::FakeSystem fake;
    Strings arguments{"kept"};
    fake.arguments = {"a b", ""}, build_argument_list(fake.system, arguments);
    fake.raw_command_line = "tool -x \"My File\"", build_argument_list(fake.system, arguments);
    EXPECT_EQ(arguments, (Strings{"kept", "a b", "", "-x", "My File"}));
}

TEST(MessagesTest, FormatFillsPlaceholdersInOrderAndErrorsAreOneWriteEach) {
    EXPECT_EQ(format_message("%s and %s", {"a", std::string("b")}), "a and b");
    EXPECT_EQ(format_message("%d %d %s|%d", {-1, -9223372036854775807LL - 1, 7, "x"}), "-1 -9223372036854775808 7|");
    EXPECT_EQ(format_message("100%% %%s %x%", {"unused"}), "100% %s %x%");
    EXPECT_EQ(format_message(std::string_view("ends in %s", 9), {"x"}), "ends in %");
    EXPECT_EQ(format_message("[%s]%s", {"50%s %d %%"}), "[50%s %d %%]"); // inserted, never read as a format
    testing::FakeSystem fake;
    const Messages messages(fake.system);
    messages.print_error(messages.load(MessageId::jni_exception), messages.load(MessageId::create_vm_failed), "");
    EXPECT_EQ(fake.output, "Error: JNI exception: failed to create the Java VM\nReason: .\n \n");
    EXPECT_EQ(fake.writes, 1);
}

TEST(IniFileTest, FindValue) {
    const std::string file = "\xEF\xBB\xBFpre=1\n  [ s ]  \n \t K \t = \t v w \t \n\v\fvt\x1a=\f1\v\nAz=case\nx=a=b\nem=\n"
                             "dq=\"a b\"\nsq=' a '\neq=\"\"\nlq=\"\nmq=\"a'\nfirst=1\nfirst=2\nbare\n=nameless\n"
                             "nul=ab\0cd\n\0\0\0\nlast=v\n[t]\nt=1\n"s;
    const std::tuple<const char*, const char*, std::optional<std::string>> queries[] = {{"s", "k", "v w"},
        {" S ", " k ", "v w"}, {"s", "vt", "1"}, {"s", "aZ", "case"}, {"s", "x", "a=b"}, {"s", "em", ""}, {"s", "dq", "a b"},
        {"s", "sq", " a "}, {"s", "eq", ""}, {"s", "lq", "\""}, {"s", "mq", "\"a'"}, {"s", "first", "1"}, {"s", "bare", {}},
        {"s", "", {}}, {"s", "nul", "ab"}, {"s", "last", "v"}, {"s", "pre", {}}, {"s", "t", {}}, {"t", "t", "1"},
        {"u", "k", {}}};
    for (const auto& [section, key, expected] : queries) EXPECT_EQ(ini::find_value(file, section, key), expected) << key;
    for (const char* text : {"[s]\r\nk=v\r\nj=w\r\n", "[s]\rk=v\rj=w\r", "[s]\nj=w"}) {
        EXPECT_EQ(ini::find_value(text, "s", "j"), "w") << text;
    }
    EXPECT_EQ(ini::find_value("", "s", "k"), std::nullopt);
}

TEST(IniFileTest, SetValueReplacesOrAddsKeepingTheRestByteForByte) {
    const std::pair<const char*, const char*> cases[] = { // each sets k=v in section s
        {"; top\r\n[s]\r\n  K = old\r\nz=1\r\n\r\n[t]\r\nk=x\r\n[s]\r\nk=2",
         "; top\r\n[s]\r\nk=v\r\nz=1\r\n\r\n[t]\r\nk=x\r\n[s]\r\nk=2"},
        {"[s]\na=1\n\n[t]\nb=2\n", "[s]\na=1\nk=v\n\n[t]\nb=2\n"}, {"[s]\na=1", "[s]\na=1\nk=v\n"}, {"[s]\n", "[s]\nk=v\n"},
        {"[s]\r\na=1\r\n[t]\r\n", "[s]\r\na=1\r\nk=v\r\n[t]\r\n"}, {"[t]\nb=2\n", "[t]\nb=2\n[s]\nk=v\n"},
        {"[t]\nb=2", "[t]\nb=2\n[s]\nk=v\n"}, {"[t]\r\nb=2\r\n", "[t]\r\nb=2\r\n[s]\r\nk=v\r\n"}, {"", "[s]\nk=v\n"}};
    for (const auto& [contents, expected] : cases) EXPECT_EQ(ini::set_value(contents, "s", "k", "v"), expected) << contents;
}

TEST(LinkText, ColourStrings) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"255,255,255", 0xFFFFFF}, {"0,128,255", 0xFF8000}, {"300,0,0", 0x00002C}, {" 7, +8,\t9x", 0x090807},
        {"a,b,-1", 0xFF0000}, {"4294967297,0,0", 0x000001}, {"\x81,1,2,3", 0x030200}, // a trail byte ','
        {"0,0", invalid_colour}, {"1,2,", invalid_colour}, {"-1,0,0", invalid_colour}, {"0,-1,0", invalid_colour}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(parse_link_colour(text, shift_jis), expected) << text;
}

TEST(LinkText, MarkupParts) {
    auto show = [](const std::optional<std::string_view>& part) { return part ? std::string(*part) : "-"; };
    // Each label is the first `length` bytes of its text, so that a read past the label's end would find the rest of
    // a tag.
    const std::tuple<const char*, size_t, const char*> cases[] = {{"one <a>two</A> three", 20, "one |two| three"},
        {"<A>link</a>", 11, "-|link|-"}, {"x <b>y</b> <A>z</A>", 19, "x <b>y</b> |z|-"}, {"no tags", 7, "-|-|-"},
        {"open <A>only", 12, "open ||-"}, {"cut <A>", 6, "-|-|-"}, {"cut <A>link</A>", 14, "cut ||-"},
        {"<A>a</A>b</A>c", 14, "-|a|b</A>c"}};
    for (const auto& [text, length, expected] : cases) {
        MarkupParts parts = split_markup(std::string_view(text).substr(0, length));
        EXPECT_EQ(show(parts.before) + "|" + show(parts.link) + "|" + show(parts.after), expected) << text << length;
    }
}

} // namespace
} // namespace embark
