// Initialisation-file text: finding and setting values the way the Windows
// profile functions do.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/ini_file.h"

namespace embark::ini {
namespace {

using namespace std::string_literals;

struct FindCase {
    const char* name;
    std::string contents;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const FindCase& c, std::ostream* out) {
    *out << c.name;
}

class IniFindValueTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(IniFindValueTest, Finds) {
    const FindCase& c = GetParam();
    EXPECT_EQ(find_value(c.contents, c.section, c.key), c.expected);
}

const FindCase find_cases[] = {
    {"Plain", "[s]\nk=v\n", "s", "k", "v"},
    {"NamesIgnoreCase", "[Java Runtime Environment]\nmain class=App\n", "JAVA runtime environment",
     "Main Class", "App"},
    {"BlanksAroundNamesAndValuesTrimmed", "  [s]  \n \t k \t = \t v w \t \n", "s", "k", "v w"},
    {"RequestedNamesTrimmed", "[s]\nk=v\n", " s ", " k ", "v"},
    {"BlanksInsideHeaderTrimmed", "[ s ]\nk=v\n", "s", "k", "v"},
    {"EmptyValue", "[s]\nk=\n", "s", "k", ""},
    {"ValueKeepsLaterEquals", "[s]\nk=a=b\n", "s", "k", "a=b"},
    {"SemicolonInsideValueKept", "[s]\nk=1.6;1.5\n", "s", "k", "1.6;1.5"},
    {"FirstKeyWins", "[s]\nk=1\nk=2\n", "s", "k", "1"},
    {"FirstSectionWins", "[s]\nk=1\n[s]\nk=2\n", "s", "k", "1"},
    {"DuplicateSectionIgnored", "[s]\na=1\n[t]\n[s]\nk=2\n", "s", "k", std::nullopt},
    {"EmptyFirstSectionHidesLaterOne", "[s]\n[s]\nk=2\n", "s", "k", std::nullopt},
    {"KeyOfAnotherSection", "[t]\nk=1\n[s]\nj=2\n", "s", "k", std::nullopt},
    {"KeyBeforeAnySection", "k=1\n[s]\n", "s", "k", std::nullopt},
    {"MissingSection", "[t]\nk=1\n", "s", "k", std::nullopt},
    {"EmptyText", "", "s", "k", std::nullopt},
    {"EmptyKeyName", "[s]\n=v\n", "s", "", std::nullopt},
    {"CommentLineIgnored", "[s]\n;k=1\nk=2\n", "s", "k", "2"},
    {"CommentedKeyOnlyIsMissing", "[s]\n; k=1\n", "s", "k", std::nullopt},
    {"MissingEquals", "[s]\nk\n", "s", "k", std::nullopt},
    {"CrLf", "[s]\r\nk=v\r\nj=w\r\n", "s", "j", "w"},
    {"LoneCr", "[s]\rk=v\rj=w\r", "s", "j", "w"},
    {"NoFinalLineBreak", "[s]\nk=v", "s", "k", "v"},
    {"DoubleQuotesStripped", "[s]\nk=\"a b\"\n", "s", "k", "a b"},
    {"SingleQuotesStripped", "[s]\nk=' a '\n", "s", "k", " a "},
    {"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", ""},
    {"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "\""},
    {"MismatchedQuotesKept", "[s]\nk=\"a'\n", "s", "k", "\"a'"},
    {"QuoteOnlyAtStartKept", "[s]\nk=\"a\" b\n", "s", "k", "\"a\" b"},
    {"NulCutsValue", "[s]\nk=ab\0cd\nj=x\n"s, "s", "k", "ab"},
    {"NulLineDoesNotHideLaterKeys", "[s]\n\0\0\0\nk=v\n"s, "s", "k", "v"},
    {"Utf8ByteOrderMarkSkipped", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
};

INSTANTIATE_TEST_SUITE_P(Ini, IniFindValueTest, ::testing::ValuesIn(find_cases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SetCase {
    const char* name;
    std::string contents;
    std::string expected;
};

void PrintTo(const SetCase& c, std::ostream* out) {
    *out << c.name;
}

class IniSetValueTest : public ::testing::TestWithParam<SetCase> {};

// Every case sets k=v in section s.
TEST_P(IniSetValueTest, SetsAndReadsBack) {
    const SetCase& c = GetParam();
    const std::string updated = set_value(c.contents, "s", "k", "v");
    EXPECT_EQ(updated, c.expected);
    EXPECT_EQ(find_value(updated, "s", "k"), "v");
}

const SetCase set_cases[] = {
    {"ReplaceKeepsTheRestByteForByte", "; top\r\n[s]\r\n  K = old ; x\r\nz=1\r\n\r\n[t]\r\nk=x",
     "; top\r\n[s]\r\nk=v\r\nz=1\r\n\r\n[t]\r\nk=x"},
    {"ReplaceOnlyTheFirstSection", "[s]\nk=1\n[s]\nk=2\n", "[s]\nk=v\n[s]\nk=2\n"},
    {"AddKeyAfterLastEntryOfSection", "[s]\na=1\n\n[t]\nb=2\n", "[s]\na=1\nk=v\n\n[t]\nb=2\n"},
    {"AddKeyToSectionAtEndWithoutLineBreak", "[s]\na=1", "[s]\na=1\nk=v\n"},
    {"AddKeyUnderBareHeader", "[s]\n", "[s]\nk=v\n"},
    {"AddKeyKeepsCrLf", "[s]\r\na=1\r\n[t]\r\n", "[s]\r\na=1\r\nk=v\r\n[t]\r\n"},
    {"AddSectionAtEnd", "[t]\nb=2\n", "[t]\nb=2\n[s]\nk=v\n"},
    {"AddSectionAfterTextWithoutLineBreak", "[t]\nb=2", "[t]\nb=2\n[s]\nk=v\n"},
    {"AddSectionKeepsCrLf", "[t]\r\nb=2\r\n", "[t]\r\nb=2\r\n[s]\r\nk=v\r\n"},
    {"CreateFromEmptyText", "", "[s]\nk=v\n"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[s]\nk=1\n", "\xEF\xBB\xBF[s]\nk=v\n"},
};

INSTANTIATE_TEST_SUITE_P(Ini, IniSetValueTest, ::testing::ValuesIn(set_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniSetValueTest, ValuesAreWrittenAsGiven) {
    const std::string updated = set_value("", "Java Runtime Environment", "JRE Path", "C:\\Java\\jre6\\");
    EXPECT_EQ(updated, "[Java Runtime Environment]\nJRE Path=C:\\Java\\jre6\\\n");
    EXPECT_EQ(find_value(updated, "java runtime environment", "jre path"), "C:\\Java\\jre6\\");
}

} // namespace
} // namespace embark::ini
