#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/command_line.h"

namespace embark {

using testing::Strings;

TEST(CommandLineTest, SplitsAtBlanksQuotesGroupAndTheProgramNameGoes) {
    const std::pair<const char*, Strings> cases[] = {{"\"C:\\Program Files\\tool.exe\" a b", {"a", "b"}},
        {"C:\\Program Files\\tool.exe a", {"Files\\tool.exe", "a"}}, {"\"C:\\My Apps\\tool.exe\"arg", {"arg"}},
        {"tool x\"y z\"", {"x\"y", "z\""}}, {"tool a \"\" b", {"a", "", "b"}}, {"tool \"a\"b", {"a", "b"}},
        {"tool a \"b  c d", {"a", "b  c d"}}, {" \t tool   a\tb    c \t\r\n", {"a\tb", "c"}}, {"tool", {}}, {"", {}}};
    for (const auto& [line, expected] : cases) EXPECT_EQ(split_command_line(line, testing::FakeCodePage()), expected) << line;
    testing::FakeSystem fake;
    Strings arguments{"kept"};
    fake.arguments = {"a b", ""}, build_argument_list(fake.system, arguments);
    fake.raw_command_line = "tool -x \"My File\"", build_argument_list(fake.system, arguments);
    EXPECT_EQ(arguments, (Strings{"kept", "a b", "", "-x", "My File"}));
}

} // namespace embark
