#include <gtest/gtest.h>

#include "core/executable.h"
#include "fake_system.h"
#include "launcher/settings.h"

namespace embark {

using testing::FakeCodePage;

struct SettingsTest : ::testing::Test {
    std::unique_ptr<LauncherState> load(const std::string& runtime_lines, const std::string& more = "", bool ok = true) {
        // Keys given first win over the main class that follows.
        fake.put_file("C:\\Apps\\tool.ini", "[Java Runtime Environment]\n" + runtime_lines + "\nMain Class=A\n" + more);
        auto state = std::make_unique<LauncherState>();
        EXPECT_EQ(load_settings(fake.system, Messages(fake.system), "C:\\Apps\\tool.ini", *state), ok) << runtime_lines << more;
        return state;
    }
    testing::FakeSystem fake;
};

TEST_F(SettingsTest, FilesBesideTheExecutableAndUnderApplicationData) {
    const platform::PathConventions windows{'\\', ';', "Path", ".exe"}, posix{'/', ':', "PATH", ""};
    struct Beside { const char* executable; const char* file; bool posix = false, double_byte = false; }; // "": none
    const Beside beside[] = {{"C:\\Apps\\tool.exe", "C:\\Apps\\tool.ini"}, {"C:\\Apps\\tool", ""},
        {"C:\\my.apps\\tool", "C:\\my.ini"}, // the last dot of the whole path
        {.executable = "C:\\\x83.\\tool", .file = "", .double_byte = true}, // 0x83 0x2E is one character: no dot
        {"/opt/app/tool", "/opt/app/tool.ini", true}, {"/opt/my./tool", "/opt/my./tool.ini", true},
        {"/opt/app/tool.bin", "/opt/app/tool.ini", true}, {"tool", "tool.ini", true}};
    for (const auto& [executable, file, is_posix, double_byte] : beside) {
        std::string path;
        EXPECT_EQ(settings_file_path_for(executable, is_posix ? posix : windows, FakeCodePage(double_byte), path),
                  *file != '\0') << executable;
        EXPECT_EQ(path, file);
    }
    struct PerUser { const char* executable; const char* product; const char* file; bool double_byte = false; };
    const PerUser per_user[] = {{"C:\\Apps\\tool.exe", "a\\b?c\"d|e>f<g:h/i*j", "D:\\abcdefghij\\1\\tool.ini"},
        {"tool.exe", "App", "D:\\App\\1\\tool.ini"}, {"C:\\my.apps\\tool", "App", "D:\\App\\1\\tool.ini"},
        // After the last real backslash; forbidden bytes go one by one, trail bytes included.
        {"C:\\Apps\\\x95\x5C" "x.exe", "\x95\x5C" "A", "D:\\\x95" "A\\1\\\x95\x5C" "x.ini", true}};
    for (const auto& [executable, product, file, double_byte] : per_user) {
        EXPECT_EQ(per_user_settings_file_path_for(executable, "D:", product, "1", '\\', FakeCodePage(double_byte)).file, file);
    }
}

TEST_F(SettingsTest, TypeModeWorkingDirectoryPreferencesAndMainClass) {
    struct Case { const char* runtime; const char* application; JvmType jvm_type; bool service, override_directory;
                  testing::Strings preferred; };
    const Case cases[] = {{"", "Override WorkingDir=no", JvmType::any, false, false, {""}}, // and the defaults
        {"JVM Type=server\nPreferred versions=1.6;;1.5 ;", "Application Type=service", JvmType::server, true, false,
         {"1.6", "", "1.5 ", ""}},
        {"JVM Type=favor_server", "Application Type=Service\nOverride WorkingDir=YES", JvmType::favor_server, false,
         true, {""}}};
    for (const auto& [runtime, application, jvm_type, service, override_directory, preferred] : cases) {
        SCOPED_TRACE(std::string(runtime) + " " + application);
        const auto s = load(runtime, std::string("[Application]\n") + application + "\n");
        EXPECT_EQ(s->runtime.jvm_type, jvm_type);
        EXPECT_EQ(s->service, service);
        EXPECT_EQ(s->override_working_directory, override_directory);
        EXPECT_EQ(s->runtime.preferred_versions, preferred);
    }
    fake.code_page.double_byte = true; // 0x83 0x2E: its trail byte looks like a dot
    const auto s = load("Main Class=com.jp.\x83.App\nJVM Source=only_JDK\nVM Provider=JRockit");
    EXPECT_EQ(modern_runtime_search_from("NO", fake.code_page) || !modern_runtime_search_from("n", fake.code_page), false);
    EXPECT_EQ(s->vm_settings.main_class, "com/jp/\x83.App");
    EXPECT_FALSE(s->runtime.preferences.both_kinds_accepted);
    EXPECT_FALSE(s->runtime.preferences.searches(VendorFamily::javasoft));
    load("Main Class=", "", false);
    EXPECT_EQ(fake.output, "Error: Main class was not specified in INI file. \n");
    // An executable in a drive's root selects that drive's current directory.
    EXPECT_EQ(working_directory_for("C:\\tool.exe", '\\', fake.code_page), "C:");
    EXPECT_EQ(working_directory_for("\\tool.exe", '\\', fake.code_page), "");
}

TEST_F(SettingsTest, PerUserFileAloneDecidesTheRememberedRuntimeFolder) {
    const std::string with_key = "[Java Runtime Environment]\nJRE Path=user\n",
                      product = "[Product Information]\nProduct Name=App\nProduct Code=1.0\n";
    struct Case { bool nt_family, service; std::optional<std::string> per_user_file; const char* remembered; };
    const Case cases[] = {{true, false, "[Java Runtime Environment]\n", ""}, {true, false, with_key, "user"},
        {true, false, std::nullopt, "local"}, {true, true, with_key, "local"}, {false, false, with_key, "local"}};
    for (const auto& [nt_family, service, per_user_file, remembered] : cases) {
        fake.existing.clear(), fake.variables["APPDATA"] = "D:", fake.nt_family = nt_family;
        if (per_user_file) fake.put_file("D:\\App\\1.0\\tool.ini", *per_user_file);
        const std::string more = product + (service ? "[Application]\nApplication Type=service\n" : "");
        EXPECT_EQ(load("JRE Path=local", more)->remembered_runtime_folder, remembered);
    }
}

} // namespace embark
