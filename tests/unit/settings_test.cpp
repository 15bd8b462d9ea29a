// The settings file beside the executable, the per-user settings file and the
// values that the settings load puts into the launcher state.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "launcher/settings.h"

namespace embark {
namespace {

using Pieces = std::vector<std::string>;

constexpr const char* local_file = "C:\\Apps\\tool.ini";

class SettingsTest : public ::testing::Test {
protected:
    // Loads a settings file whose "Java Runtime Environment" section holds
    // Main Class=App followed by `lines`; the load must succeed silently.
    LauncherState load(const std::string& lines, const char* main_class = "App") {
        fake.put_file(local_file,
                      std::string("[Java Runtime Environment]\nMain Class=") + main_class + "\n" + lines);
        LauncherState state;
        EXPECT_TRUE(load_settings(fake.system, messages, state)) << lines;
        EXPECT_EQ(fake.output(), "") << lines;
        return state;
    }

    testing::FakeSystem fake;
    Messages messages{fake.system};
};

TEST(SettingsFilePathTest, BesideTheExecutable) {
    struct Case {
        const char* executable;
        bool posix, double_byte;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"C:\\Apps\\tool.exe", false, false, "C:\\Apps\\tool.ini"},
        {"C:\\my.apps\\tool", false, false, "C:\\my.ini"}, // the last dot of the whole path
        {"C:\\Apps\\tool", false, false, std::nullopt},
        // 0x83 0x2E is one double-byte character: its trail byte is no dot.
        {"C:\\\x83.\\tool", false, true, std::nullopt},
        {"C:\\\x83.\\tool", false, false, "C:\\\x83.ini"},
        {"/opt/app/tool", true, false, "/opt/app/tool.ini"},
        {"/opt/my.apps/tool", true, false, "/opt/my.apps/tool.ini"},
        {"/opt/app/tool.bin", true, false, "/opt/app/tool.ini"},
        {"tool", true, false, "tool.ini"},
    };
    for (const Case& c : cases) {
        testing::FakeCodePage code_page;
        if (c.double_byte) {
            code_page.use_shift_jis();
        }
        const platform::PathConventions paths =
            c.posix ? testing::FakeSystem::posix_paths : testing::FakeSystem::windows_paths;
        std::string path;
        EXPECT_EQ(settings_file_path_for(c.executable, paths, code_page, path), c.expected.has_value())
            << c.executable;
        EXPECT_EQ(path, c.expected.value_or("")) << c.executable;
    }
}

TEST(PerUserSettingsPathTest, UnderApplicationData) {
    struct Case {
        const char* executable;
        const char* app_data;
        const char* product_name;
        bool double_byte;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Apps\\tool.exe", "C:\\Users\\u\\AppData\\Roaming", "My App: Pro", false,
         "C:\\Users\\u\\AppData\\Roaming\\My App Pro\\1.0\\tool.ini"},
        {"C:\\Apps\\tool.exe", "", "App", false, "\\App\\1.0\\tool.ini"}, // APPDATA unset
        {"C:\\my.apps\\tool", "D:", "App", false, "D:\\App\\1.0\\tool.ini"},
        {"tool.exe", "D:", "a\\b?c\"d|e>f<g:h/i*j", false, "D:\\abcdefghij\\1.0\\tool.ini"},
        // The file part starts after the last real backslash; the folder name
        // drops forbidden bytes one by one, trail bytes included.
        {"C:\\Apps\\\x95\x5C" "x.exe", "D:", "\x95\x5C" "A", true, "D:\\\x95" "A\\1.0\\\x95\x5C" "x.ini"},
    };
    for (const Case& c : cases) {
        testing::FakeCodePage code_page;
        if (c.double_byte) {
            code_page.use_shift_jis();
        }
        EXPECT_EQ(per_user_settings_file_path_for(c.executable, c.app_data, c.product_name, "1.0", code_page).file,
                  c.expected);
    }
}

TEST_F(SettingsTest, PerUserPathCreatesItsTwoFoldersInOrderOnlyWhenAsked) {
    fake.environment.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
    LauncherState state;
    state.product_name = "My App: Pro";
    state.product_code = "1.0";
    const std::string expected = "C:\\Users\\u\\AppData\\Roaming\\My App Pro\\1.0\\tool.ini";

    EXPECT_EQ(per_user_settings_file_path(fake.system, messages, state, false), expected);
    EXPECT_TRUE(fake.files.created_directories.empty());
    EXPECT_EQ(per_user_settings_file_path(fake.system, messages, state, true), expected);
    EXPECT_EQ(fake.files.created_directories,
              (Pieces{"C:\\Users\\u\\AppData\\Roaming\\My App Pro",
                      "C:\\Users\\u\\AppData\\Roaming\\My App Pro\\1.0"}));
}

TEST(SplitAtSeparatorTest, KeepsEmptyPiecesAndBlanks) {
    Pieces pieces{"stale"};
    split_at_separator("", ";", pieces);
    EXPECT_EQ(pieces, Pieces{""});
    split_at_separator(";", ";", pieces);
    EXPECT_EQ(pieces, (Pieces{"", ""}));
    split_at_separator("a::b::", "::", pieces);
    EXPECT_EQ(pieces, (Pieces{"a", "b", ""}));
    split_at_separator("a;b", "", pieces);
    EXPECT_EQ(pieces, Pieces{"a;b"});
}

TEST_F(SettingsTest, PreferredVersions) {
    const std::pair<const char*, Pieces> cases[] = {
        {"Preferred versions=1.6;1.5\n", {"1.6", "1.5"}},
        {"Preferred versions=1.6;\n", {"1.6", ""}},
        {"Preferred versions=;1.6\n", {"", "1.6"}},
        {"Preferred versions=1.6 ; 1.5\n", {"1.6 ", " 1.5"}},
        {"Preferred versions=\n", {""}},
        {"", {""}},
    };
    for (const auto& [lines, expected] : cases) {
        EXPECT_EQ(load(lines).preferred_versions, expected) << lines;
    }
}

TEST_F(SettingsTest, JvmSourceSetsTheKindFlags) {
    struct Case {
        const char* lines;
        std::array<bool, 3> flags; // JDK favoured, JRE favoured, both kinds accepted
    };
    const Case cases[] = {
        {"", {true, true, true}},
        {"JVM Source=\n", {true, true, true}},
        {"JVM Source=favor_JRE\n", {false, true, true}},
        {"JVM Source=favor_JDK\n", {true, false, true}},
        {"JVM Source=only_JRE\n", {false, true, false}},
        {"JVM Source=only_JDK\n", {true, false, false}},
        {"JVM Source=only_jdk\n", {false, false, false}},
    };
    for (const Case& c : cases) {
        const LauncherState s = load(c.lines);
        EXPECT_EQ((std::array<bool, 3>{s.jdk_favoured, s.jre_favoured, s.both_kinds_accepted}), c.flags)
            << c.lines;
    }
}

TEST_F(SettingsTest, VmProviderSetsTheVendorFlags) {
    struct Case {
        const char* lines;
        std::array<bool, 4> flags; // JRockit accepted, JavaSoft accepted, JRockit favoured, JavaSoft favoured
    };
    const std::array<bool, 4> defaults{false, true, false, true};
    const Case cases[] = {
        {"", defaults},
        {"VM Provider=\n", defaults},
        {"VM Provider=jrockit\n", {true, false, true, false}},
        {"VM Provider=JROCKIT\n", {true, false, true, false}},
        {"VM Provider=favor_sun\n", {true, true, false, true}},
        {"VM Provider=favor_jrockit\n", {true, true, true, false}},
        {"VM Provider=Any\n", {true, true, false, false}},
        {"VM Provider=sun\n", defaults},
    };
    for (const Case& c : cases) {
        const LauncherState s = load(c.lines);
        EXPECT_EQ((std::array<bool, 4>{s.jrockit_accepted, s.javasoft_accepted, s.jrockit_favoured,
                                       s.javasoft_favoured}),
                  c.flags)
            << c.lines;
    }
}

TEST_F(SettingsTest, JvmTypeServiceAndWorkingDirectory) {
    struct Case {
        const char* lines;
        int32_t jvm_type;
        bool service;
        bool override_working_directory;
    };
    const Case cases[] = {
        {"", jvm_type_any, false, false},
        {"JVM Type=server\n", jvm_type_server, false, false},
        {"JVM Type=favor_server\n", jvm_type_favor_server, false, false},
        {"JVM Type=Server\n", jvm_type_any, false, false},
        {"[Application]\nApplication Type=service\n", jvm_type_any, true, false},
        {"[Application]\nApplication Type=Service\n", jvm_type_any, false, false},
        {"[Application]\nOverride WorkingDir=yes\n", jvm_type_any, false, true},
        {"[Application]\nOverride WorkingDir=Yes\n", jvm_type_any, false, true},
        {"[Application]\nOverride WorkingDir=YES\n", jvm_type_any, false, true},
        {"[Application]\nOverride WorkingDir=no\n", jvm_type_any, false, false},
        {"[Application]\nOverride WorkingDir=1\n", jvm_type_any, false, false},
    };
    for (const Case& c : cases) {
        const LauncherState s = load(c.lines);
        EXPECT_EQ(s.jvm_type, c.jvm_type) << c.lines;
        EXPECT_EQ(s.service, c.service) << c.lines;
        EXPECT_EQ(s.override_working_directory, c.override_working_directory) << c.lines;
    }
}

TEST_F(SettingsTest, MinimumAndMaximumVersion) {
    struct Case {
        const char* lines;
        std::array<int32_t, 5> minimum; // four components, then the count
        std::array<int32_t, 5> maximum;
    };
    const Case cases[] = {
        {"", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {"Minimum Version=\nMaximum Version=\n", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {"Minimum Version=any\nMaximum Version=any\n", {0, 0, 0, 0, 4}, {65535, 65535, 65535, 65535, 4}},
        {"Minimum Version=Any\nMaximum Version=Any\n", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {"Minimum Version=1.6\nMaximum Version=1.6\n", {1, 6, 0, 0, 2}, {1, 6, 65535, 65535, 2}},
    };
    auto as_array = [](const VersionRecord& v) {
        return std::array<int32_t, 5>{v.components[0], v.components[1], v.components[2], v.components[3],
                                      v.count};
    };
    for (const Case& c : cases) {
        const LauncherState s = load(c.lines);
        EXPECT_EQ(as_array(s.minimum_version), c.minimum) << c.lines;
        EXPECT_EQ(as_array(s.maximum_version), c.maximum) << c.lines;
    }
}

TEST_F(SettingsTest, MainClassDotsBecomeSlashesButTrailBytesStay) {
    EXPECT_EQ(load("", "com.example.App").main_class, "com/example/App");
    fake.code_page.use_shift_jis();
    // 0x83 0x2E is one double-byte character whose trail byte looks like a dot.
    EXPECT_EQ(load("", "jp.\x83.Main.App").main_class, "jp/\x83.Main/App");
}

TEST_F(SettingsTest, MissingOrEmptyMainClassIsReportedAndFails) {
    const std::optional<std::string> files[] = {
        std::nullopt, // no settings file at all
        "[Java Runtime Environment]\nMain Class=\nMinimum Version=1.6\n",
        "[Application]\nMain Class=App\n",
    };
    for (const auto& text : files) {
        testing::FakeSystem local;
        if (text) {
            local.put_file(local_file, *text);
        }
        LauncherState state;
        EXPECT_FALSE(load_settings(local.system, Messages(local.system), state)) << text.value_or("(no file)");
        EXPECT_EQ(local.output(), "Error: Main class was not specified in INI file. \n");
    }
}

TEST_F(SettingsTest, NoDotInExecutablePathFailsSilently) {
    fake.process.executable = "C:\\Apps\\tool";
    fake.put_file("C:\\Apps\\tool.ini", "[Java Runtime Environment]\nMain Class=App\n");
    LauncherState state;
    EXPECT_FALSE(load_settings(fake.system, messages, state));
    EXPECT_EQ(fake.output(), "");
}

TEST_F(SettingsTest, PerUserFileHidesTheLocalRuntimeFolder) {
    const std::string per_user_file = "C:\\Users\\u\\AppData\\Roaming\\My App\\1.0\\tool.ini";
    const std::string with_key = "[Java Runtime Environment]\nJRE Path=C:\\user\\jre\\\n";
    struct Case {
        const char* label;
        bool nt_family, service;
        std::optional<std::string> per_user_text; // nullopt: the file does not exist
        std::string expected;
    };
    const Case cases[] = {
        {"per-user file without the key", true, false, "[Java Runtime Environment]\n", ""},
        {"per-user file with the key", true, false, with_key, "C:\\user\\jre\\"},
        {"no per-user file", true, false, std::nullopt, "C:\\local\\jre"},
        {"service mode", true, true, with_key, "C:\\local\\jre"},
        {"not NT family", false, false, with_key, "C:\\local\\jre"},
    };
    for (const Case& c : cases) {
        fake.files.existing.clear();
        fake.environment.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
        fake.process.nt_family = c.nt_family;
        if (c.per_user_text) {
            fake.put_file(per_user_file, *c.per_user_text);
        }
        const std::string lines = std::string("JRE Path=C:\\local\\jre\n") +
                                  "[Product Information]\nProduct Name=My App\nProduct Code=1.0\n" +
                                  (c.service ? "[Application]\nApplication Type=service\n" : "");
        EXPECT_EQ(load(lines).remembered_runtime_folder, c.expected) << c.label;
    }
}

} // namespace
} // namespace embark
