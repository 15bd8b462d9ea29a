// Whole starts through the driver with the in-memory platform. Without a
// runtime folder a start that gets past the settings ends at the
// missing-runtime dialog, which cannot be shown: exit -1 without a message
// (where there are no windows, the dialog's message is printed instead).
// With one, a start goes as far as the VM library load and the option
// assembly (the fake library's entry points cannot be called).
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/driver.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "runtime/version.h"

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


class DriverLibraryTest : public ::testing::Test {
protected:
    static constexpr const char* remembered_library = "C:\\Java\\jre6\\bin\\client\\jvm.dll";
    static constexpr const char* private_library = "C:\\Apps\\bin\\client\\jvm.dll";

    // A settings file that remembers `jre_path`, optionally without the class path.
    static void settings(testing::FakeSystem& fake, const char* jre_path, bool with_class_path = true) {
        fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=App\nJRE Path=") +
                                                jre_path + "\n" +
                                                (with_class_path ? "[Class Path]\nClass Path=app.jar\n" : ""));
    }
    void private_runtime() {
        fake.files.existing.insert("C:\\Apps\\bin\\java.dll");
        fake.files.existing.insert(private_library);
    }

    testing::FakeSystem fake;
};

TEST_F(DriverLibraryTest, LibraryLoadFailuresAreReported) {
    const std::string missing_entry = "Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n \n";
    struct Case {
        const char* label;
        std::optional<std::set<std::string>> exports; // nullopt: the library does not load
        std::string expected;
    };
    const Case cases[] = {
        {"no library", std::nullopt,
         "Error: Failed to load Java VM library: C:\\Java\\jre6\\bin\\client\\jvm.dll (errno = 126).\n \n"},
        {"no entry points", std::set<std::string>{}, missing_entry},
        {"no default arguments entry", std::set<std::string>{"JNI_CreateJavaVM"}, missing_entry},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        settings(local, "C:\\Java\\jre6");
        local.files.existing.insert(remembered_library);
        if (c.exports) {
            local.libraries.libraries[remembered_library] = *c.exports;
        }
        EXPECT_EQ(run_launcher(local.system), -1) << c.label;
        EXPECT_EQ(local.output(), c.expected) << c.label;
        EXPECT_EQ(local.libraries.loaded, Strings{remembered_library}) << c.label;
        // The environment is prepared before the load.
        EXPECT_EQ(local.environment.variables["JX_JVM_PATH"], remembered_library) << c.label;
        EXPECT_TRUE(local.threads.stack_sizes.empty()) << c.label;
    }
}

TEST_F(DriverLibraryTest, WithoutAPrivateRuntimeTheCurrentDirectoryIsProbed) {
    settings(fake, "");
    fake.files.existing.insert("bin\\client\\jvm.dll");
    EXPECT_EQ(run_launcher(fake.system), -1);
    EXPECT_EQ(fake.libraries.loaded, Strings{"bin\\client\\jvm.dll"});
}

constexpr const char* registry_entry = "Software\\JavaSoft\\Java Runtime Environment\\1.8.0_40";
constexpr const char* registry_library = "C:\\Java\\jre8\\bin\\client\\jvm.dll";
constexpr const char* registry_server_library = "C:\\Java\\jre8\\bin\\server\\jvm.dll";

TEST_F(DriverLibraryTest, RuntimeSourcesInOrderOfPrecedence) {
    struct Case {
        bool remembered, beside, registry;
        const char* expected;
    };
    const Case cases[] = {
        {true, true, true, remembered_library},
        {false, true, true, private_library},
        {false, false, true, registry_library},
        {true, false, true, remembered_library},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        settings(local, c.remembered ? "C:\\Java\\jre6" : "C:\\Java\\gone");
        if (c.remembered) {
            local.files.existing.insert(remembered_library);
        }
        if (c.beside) {
            local.files.existing.insert({"C:\\Apps\\bin\\java.dll", private_library});
        }
        if (c.registry) {
            local.registry.add_java_home(registry_entry, "C:\\Java\\jre8");
            local.files.existing.insert(registry_library);
        }
        for (const char* library : {remembered_library, private_library, registry_library}) {
            local.libraries.libraries[library] = {}; // loads, but cannot create a VM
        }
        EXPECT_EQ(run_launcher(local.system), -1) << c.expected;
        EXPECT_EQ(local.libraries.loaded, Strings{c.expected});
        EXPECT_EQ(local.environment.variables["JX_JVM_PATH"], c.expected);
    }
}

TEST_F(DriverLibraryTest, RegistryRuntimeIsUsedWithItsVersion) {
    struct Case {
        const char* jvm_type;
        const char* expected;
    };
    // The scan probes JavaSoft runtime entries client first; the runtime's
    // own lookup follows the JVM type.
    const Case cases[] = {
        {"", registry_library},
        {"favor_server", registry_server_library},
        {"server", registry_server_library},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        local.put_file("C:\\Apps\\tool.ini",
                       std::string("[Java Runtime Environment]\nMain Class=App\nJVM Type=") + c.jvm_type + "\n");
        local.registry.add_java_home(registry_entry, "C:\\Java\\jre8");
        local.files.existing.insert({registry_library, registry_server_library});
        Messages messages(local.system);
        LauncherState state;
        ASSERT_TRUE(initialise(local.system, messages, state)) << c.jvm_type;
        EXPECT_EQ(state.vm_library_path, c.expected) << c.jvm_type;
        EXPECT_EQ(format_version(state.selected_runtime_version), "1.8.0.40") << c.jvm_type;
        EXPECT_EQ(local.output(), "");
    }

    // A remembered folder is used without the registry's version.
    settings(fake, "C:\\Java\\jre6");
    fake.files.existing.insert(remembered_library);
    fake.registry.add_java_home(registry_entry, "C:\\Java\\jre8");
    fake.files.existing.insert(registry_library);
    Messages messages(fake.system);
    LauncherState state;
    ASSERT_TRUE(initialise(fake.system, messages, state));
    EXPECT_EQ(state.vm_library_path, remembered_library);
    EXPECT_TRUE(version_is_unset(state.selected_runtime_version));
}

TEST_F(DriverLibraryTest, NoRuntimeFoundIsPrintedWhereThereAreNoDialogs) {
    const std::string prefix =
        "Error: The Java Runtime Environment (JRE) was not found. Please  download and install a JRE ";
    const std::string suffix = " from: https://adoptium.net/temurin/releases/ \n";
    struct Case {
        const char* settings;
        bool has_dialogs;
        std::string expected;
    };
    // The registry's 1.6 runtime, with a client library only, fits none of these.
    const Case cases[] = {
        {"JVM Source=only_JDK\n", false, prefix + "(latest version)" + suffix},
        {"JVM Type=server\n", false, prefix + "with a server JVM (latest version)" + suffix},
        {"Minimum Version=1.7\n", false, prefix + "(minimum version 1.7)" + suffix},
        {"Minimum Version=1.4\nMaximum Version=1.5\n", false, prefix + "(version between 1.4 and 1.5)" + suffix},
        {"JVM Type=server\n", true, ""},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        local.system.has_dialogs = c.has_dialogs;
        local.put_file("C:\\Apps\\tool.ini",
                       std::string("[Java Runtime Environment]\nMain Class=App\n") + c.settings);
        local.registry.add_java_home("Software\\JavaSoft\\Java Runtime Environment\\1.6.0_20", "C:\\Java\\jre6");
        local.files.existing.insert(remembered_library);
        const auto files_before = local.profiles.files;
        EXPECT_EQ(run_launcher(local.system), -1) << c.settings;
        EXPECT_EQ(local.output(), c.expected) << c.settings;
        EXPECT_TRUE(local.libraries.loaded.empty()) << c.settings;
        EXPECT_EQ(local.profiles.files, files_before) << c.settings;
    }
}

TEST_F(DriverLibraryTest, MissingClassPathEndsTheStartAfterTheLoad) {
    settings(fake, "C:\\Java\\jre6", false);
    fake.files.existing.insert(remembered_library);
    fake.libraries.libraries[remembered_library] = {"JNI_CreateJavaVM", "JNI_GetDefaultJavaVMInitArgs"};
    EXPECT_EQ(run_launcher(fake.system), -1);
    EXPECT_EQ(fake.output(), "Error: Java Class Path was not specified in INI file. \n");
    EXPECT_EQ(fake.libraries.loaded, Strings{remembered_library});
    EXPECT_TRUE(fake.threads.stack_sizes.empty());
}

} // namespace
} // namespace embark
