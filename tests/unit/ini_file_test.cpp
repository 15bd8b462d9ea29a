#include <gtest/gtest.h>

#include "platform/ini_file.h"

namespace embark {

using namespace std::string_literals;

TEST(IniFileTest, FindValue) {
    const std::string file = "\xEF\xBB\xBFpre=1\n  [ s ]  \n \t K \t = \t v w \t \n\v\fvt\x1a=\f1\v\nAz=case\nx=a=b\nem=\n"
                             "dq=\"a b\"\nsq=' a '\neq=\"\"\nlq=\"\nmq=\"a'\nfirst=1\nfirst=2\nbare\n=nameless\n"
                             "nul=ab\0cd\n\0\0\0\nlast=v\n[t]\nt=1\n"s;
    struct Query { const char* section; const char* key; std::optional<std::string> value; };
    const Query queries[] = {{"s", "k", "v w"}, {" S ", " k ", "v w"}, {"s", "vt", "1"}, {"s", "aZ", "case"},
        {"s", "x", "a=b"}, {"s", "em", ""}, {"s", "dq", "a b"}, {"s", "sq", " a "}, {"s", "eq", ""}, {"s", "lq", "\""},
        {"s", "mq", "\"a'"}, {"s", "first", "1"}, {"s", "bare", {}}, {"s", "", {}}, {"s", "nul", "ab"}, {"s", "last", "v"},
        {"s", "pre", {}}, {"s", "t", {}}, {"t", "t", "1"}, {"u", "k", {}}};
    for (const auto& [section, key, value] : queries) EXPECT_EQ(ini::find_value(file, section, key), value) << key;
    for (const char* text : {"[s]\r\nk=v\r\nj=w\r\n", "[s]\rk=v\rj=w\r", "[s]\nj=w"}) {
        EXPECT_EQ(ini::find_value(text, "s", "j"), "w") << text;
    }
    EXPECT_EQ(ini::find_value("", "s", "k"), std::nullopt);
    EXPECT_EQ(ini::key_names("[a]\nx=1\n[S]\n K =1\n;c=2\nbare\n=v\nj=\n[s]\nz=1\n", " s "),
              (std::vector<std::string>{"K", "j"})); // the first section of the name only
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

} // namespace embark
