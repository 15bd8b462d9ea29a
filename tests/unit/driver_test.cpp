// Whole starts through the driver with the in-memory platform. No runtime is
// ever found there, so a start that gets past the settings ends at the
// missing-runtime dialog, which cannot be shown: exit -1 without a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/driver.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"

namespace embark {
namespace {

using Strings = std::vector<std::string>;

class DriverTest : public ::testing::Test {
protected:
    testing::FakeSystem fake;
};

TEST_F(DriverTest, WithoutSettingsFileReportsTheMissingMainClass) {
    EXPECT_EQ(run_launcher(fake.system), -1);
    EXPECT_EQ(fake.output(), "Error: Main class was not specified in INI file. \n");
}

TEST_F(DriverTest, WithoutAnyDotInTheExecutablePathEndsSilently) {
    fake.process.executable = "C:\\Apps\\tool";
    EXPECT_EQ(run_launcher(fake.system), -1);
    EXPECT_EQ(fake.output(), "");
}

TEST_F(DriverTest, UnavailableExecutablePathIsReportedWithTheSystemErrorCode) {
    const std::pair<unsigned long, const char*> cases[] = {
        {5, "5"},
        {0x80004005ul, "-2147467259"}, // printed as a signed 32-bit number
    };
    for (const auto& [error, printed] : cases) {
        testing::FakeSystem local;
        local.process.executable_error = error;
        EXPECT_EQ(run_launcher(local.system), -1);
        EXPECT_EQ(local.output(), std::string("Error: Windows exception: failed to get the module path (errno = ") +
                                      printed + ").\n \n");
    }
}

TEST_F(DriverTest, NoRuntimeFoundEndsQuietlyAndLeavesTheSettingsAlone) {
    fake.put_file("C:\\Apps\\tool.ini", "[Java Runtime Environment]\nMain Class=App\n");
    const auto files_before = fake.profiles.files;
    EXPECT_EQ(run_launcher(fake.system), -1);
    EXPECT_EQ(fake.output(), "");
    EXPECT_EQ(fake.profiles.files, files_before);
    EXPECT_TRUE(fake.files.created_directories.empty());
    EXPECT_TRUE(fake.files.current_directory_calls.empty());
}

TEST_F(DriverTest, OverrideWorkingDirMovesToTheExecutablesFolder) {
    struct Case {
        const char* executable;
        const char* settings_file;
        const char* value;
        Strings expected;
    };
    const Case cases[] = {
        {"C:\\Apps\\tool.exe", "C:\\Apps\\tool.ini", "Yes", {"C:\\Apps"}},
        // An executable in a drive's root selects that drive's current directory.
        {"C:\\tool.exe", "C:\\tool.ini", "yes", {"C:"}},
        {"\\tool.exe", "\\tool.ini", "YES", {}},
        {"C:\\Apps\\tool.exe", "C:\\Apps\\tool.ini", "no", {}},
        {"/opt/app/tool", "/opt/app/tool.ini", "Yes", {"/opt/app"}},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        if (c.executable[0] == '/') {
            local.use_posix_paths();
        }
        local.process.executable = c.executable;
        local.put_file(c.settings_file, std::string("[Application]\nOverride WorkingDir=") + c.value +
                                            "\n[Java Runtime Environment]\nMain Class=App\n");
        Messages messages(local.system);
        LauncherState state;
        // The start fails later for want of a runtime; the move happens before.
        EXPECT_FALSE(initialise(local.system, messages, state)) << c.executable;
        EXPECT_EQ(local.files.current_directory_calls, c.expected) << c.executable;
        EXPECT_EQ(local.output(), "") << c.executable;
    }
}

TEST_F(DriverTest, ArgumentListIsBuiltFromTheRawCommandLineFirst) {
    fake.process.raw_command_line = "\"C:\\Program Files\\tool.exe\" -nosplash \"My File.txt\" \"\"";
    Messages messages(fake.system);
    LauncherState state;
    EXPECT_FALSE(initialise(fake.system, messages, state)); // no settings file
    EXPECT_EQ(state.arguments, (Strings{"-nosplash", "My File.txt", ""}));
}

} // namespace
} // namespace embark
