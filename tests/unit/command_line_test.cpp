// The launcher's own command-line splitting and the argument list built from it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/command_line.h"

namespace embark {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string line;
    Arguments expected;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLineSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplitTest, SplitsAndDropsTheProgramName) {
    testing::FakeCodePage code_page;
    EXPECT_EQ(split_command_line(GetParam().line, code_page), GetParam().expected)
        << "command line: [" << GetParam().line << "]";
}

const SplitCase split_cases[] = {
    {"QuotedProgramNameWithBlanks", "\"C:\\Program Files\\App\\tool.exe\" a b", {"a", "b"}},
    {"UnquotedProgramNameEndsAtFirstBlank", "C:\\Program Files\\App\\tool.exe a",
     {"Files\\App\\tool.exe", "a"}},
    {"QuotedArgumentWithBlank", "tool \"My File.txt\"", {"My File.txt"}},
    {"QuotesInsideAWordAreOrdinary", "tool x\"y z\"", {"x\"y", "z\""}},
    {"EmptyQuotesGiveAnEmptyArgument", "tool \"\"", {""}},
    {"EmptyQuotesBetweenArguments", "tool a \"\" b", {"a", "", "b"}},
    {"TextRightAfterClosingQuoteStartsNextArgument", "tool \"a\"b", {"a", "b"}},
    {"TwoQuotesInARowEndTheQuotedArgument", "tool \"a\"\"b c\"", {"a", "b c"}},
    {"ProgramNameRightBeforeArgument", "\"C:\\My Apps\\tool.exe\"arg", {"arg"}},
    {"UnclosedQuoteKeepsRestWithBlanks", "tool a \"b  c d", {"a", "b  c d"}},
    {"SeveralBlanksGiveNoEmptyArguments", "tool   a    b ", {"a", "b"}},
    {"TabInsideAWordDoesNotSeparate", "tool a\tb", {"a\tb"}},
    {"BackslashEscapesNothing", "tool a\\\"b \\\\", {"a\\\"b", "\\\\"}},
    {"ProgramNameAlone", "tool", {}},
    {"QuotedProgramNameAlone", "\"C:\\My Apps\\tool.exe\"", {}},
    {"EmptyLine", "", {}},
    {"WhiteSpaceOnly", " \t \r\n", {}},
    {"LeadingAndTrailingWhiteSpaceTrimmed", " \t tool a \t\r\n", {"a"}},
    {"SplashSwitchesAreOrdinaryArguments", "tool -nosplash /nosplash", {"-nosplash", "/nosplash"}},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineSplitTest, ::testing::ValuesIn(split_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTest, ArgumentListComesFromTheRawCommandLineWhenThereIsOne) {
    testing::FakeSystem fake;
    fake.process.raw_command_line = "\"C:\\Apps\\tool.exe\" -x \"My File.txt\"";
    fake.process.arguments = {"ignored"};
    Arguments arguments{"kept"};
    build_argument_list(fake.system, arguments);
    EXPECT_EQ(arguments, (Arguments{"kept", "-x", "My File.txt"}));
}

TEST(CommandLineTest, ArgumentListComesFromTheArgumentVectorOtherwise) {
    testing::FakeSystem fake;
    fake.process.arguments = {"a b", "", "\"c\""};
    Arguments arguments;
    build_argument_list(fake.system, arguments);
    EXPECT_EQ(arguments, fake.process.arguments);
}

} // namespace
} // namespace embark
