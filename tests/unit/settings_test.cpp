// The settings (where the files lie, what the load puts into the launcher state), the version texts, and the
// environment and options for the machine.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/settings.h"
#include "vm/vm_options.h"

namespace embark {
namespace {

using testing::FakeCodePage;
using testing::Strings;

TEST(SettingsTest, SettingsFilesBesideTheExecutableAndUnderApplicationData) {
    const platform::PathConventions windows{'\\', ';', "Path", ".exe"}, posix{'/', ':', "PATH", ""};
    const std::tuple<const char*, bool, bool, std::string> cases[] = { // POSIX, double-byte; "": none
        {"C:\\Apps\\tool.exe", false, false, "C:\\Apps\\tool.ini"}, {"C:\\Apps\\tool", false, false, ""},
        {"C:\\my.apps\\tool", false, false, "C:\\my.ini"}, // the last dot of the whole path
        {"C:\\\x83.\\tool", false, true, ""}, // 0x83 0x2E is one character: its trail byte is no dot
        {"/opt/app/tool", true, false, "/opt/app/tool.ini"}, {"/opt/my./tool", true, false, "/opt/my./tool.ini"},
        {"/opt/app/tool.bin", true, false, "/opt/app/tool.ini"}, {"tool", true, false, "tool.ini"}};
    for (const auto& [executable, is_posix, double_byte, expected] : cases) {
        std::string path;
        const bool found = settings_file_path_for(executable, is_posix ? posix : windows, FakeCodePage(double_byte), path);
        EXPECT_EQ(path + (found ? "" : "none"), expected.empty() ? "none" : expected);
    }
    const std::tuple<const char*, const char*, bool, const char*> per_user[] = {
        {"C:\\Apps\\tool.exe", "a\\b?c\"d|e>f<g:h/i*j", false, "D:\\abcdefghij\\1\\tool.ini"},
        {"tool.exe", "App", false, "D:\\App\\1\\tool.ini"}, {"C:\\my.apps\\tool", "App", false, "D:\\App\\1\\tool.ini"},
        // After the last real backslash; forbidden bytes go one by one, trail bytes included.
        {"C:\\Apps\\\x95\x5C" "x.exe", "\x95\x5C" "A", true, "D:\\\x95" "A\\1\\\x95\x5C" "x.ini"}};
    for (const auto& [executable, product, double_byte, expected] : per_user) {
        EXPECT_EQ(per_user_settings_file_path_for(executable, "D:", product, "1", '\\', FakeCodePage(double_byte)).file,
                  expected);
    }
}

struct SettingsLoadTest : ::testing::Test {
    std::unique_ptr<LauncherState> load(const std::string& runtime_lines, const std::string& more = "", bool ok = true) {
        // Keys given first win over the main class that follows.
        fake.put_file("C:\\Apps\\tool.ini", "[Java Runtime Environment]\n" + runtime_lines + "\nMain Class=A\n" + more);
        auto state = std::make_unique<LauncherState>();
        EXPECT_EQ(load_settings(fake.system, Messages(fake.system), "C:\\Apps\\tool.ini", *state), ok) << runtime_lines << more;
        return state;
    }
    testing::FakeSystem fake;
};

TEST_F(SettingsLoadTest, TypeModeWorkingDirectoryPreferencesAndMainClass) {
    const std::tuple<const char*, const char*, JvmType, bool, bool, Strings> cases[] = {
        {"", "", JvmType::any, false, false, {""}},
        {"JVM Type=server\nPreferred versions=1.6;;1.5 ;", "Application Type=service", JvmType::server, true, false,
         {"1.6", "", "1.5 ", ""}},
        {"JVM Type=favor_server", "Application Type=Service\nOverride WorkingDir=YES", JvmType::favor_server, false,
         true, {""}},
        {"", "Override WorkingDir=no", JvmType::any, false, false, {""}}};
    for (const auto& [runtime, application, jvm_type, service, override_directory, preferred] : cases) {
        const auto s = load(runtime, std::string("[Application]\n") + application + "\n");
        EXPECT_EQ(std::tie(s->runtime.jvm_type, s->service, s->override_working_directory, s->runtime.preferred_versions),
                  std::tie(jvm_type, service, override_directory, preferred)) << runtime << application;
    }
    fake.code_page.double_byte = true; // 0x83 0x2E: its trail byte looks like a dot
    const auto s = load("Main Class=com.jp.\x83.App\nJVM Source=only_JDK\nVM Provider=JRockit");
    EXPECT_EQ(std::tie(s->vm_settings.main_class, s->runtime.preferences.both_kinds_accepted,
                       s->runtime.preferences.javasoft_accepted),
              std::make_tuple("com/jp/\x83.App", false, false));
    load("Main Class=", "", false);
    EXPECT_EQ(fake.output, "Error: Main class was not specified in INI file. \n");
    // An executable in a drive's root selects that drive's current directory.
    EXPECT_EQ(working_directory_for("C:\\tool.exe", '\\', fake.code_page) +
              working_directory_for("\\tool.exe", '\\', fake.code_page), "C:");
}

TEST_F(SettingsLoadTest, PerUserFileAloneDecidesTheRememberedRuntimeFolder) {
    const std::string with_key = "[Java Runtime Environment]\nJRE Path=user\n",
                      product = "[Product Information]\nProduct Name=App\nProduct Code=1.0\n";
    const std::tuple<bool, bool, std::optional<std::string>, const char*> cases[] = { // NT, service, per-user file
        {true, false, "[Java Runtime Environment]\n", ""}, {true, false, with_key, "user"},
        {true, false, std::nullopt, "local"}, {true, true, with_key, "local"}, {false, false, with_key, "local"}};
    for (const auto& [nt_family, service, per_user_text, expected] : cases) {
        fake.existing.clear(), fake.variables["APPDATA"] = "D:", fake.nt_family = nt_family;
        if (per_user_text) fake.put_file("D:\\App\\1.0\\tool.ini", *per_user_text);
        const std::string more = product + (service ? "[Application]\nApplication Type=service\n" : "");
        EXPECT_EQ(load("JRE Path=local", more)->remembered_runtime_folder, expected);
    }
}

VersionRecord version(const char* text, int32_t fill = minimum_fill, bool double_byte = false) {
    VersionRecord parsed{{9, 9, 9, 9}, 9};
    const bool digits = parse_version(text, fill, FakeCodePage(double_byte), parsed);
    EXPECT_EQ(digits, parsed.count != 0) << text;
    return parsed;
}

TEST(VersionTest, ParseReadsUpToFourDigitGroupsAndPrintsTheMeaningfulOnes) {
    constexpr int32_t top = maximum_fill, largest = 2147483647;
    const std::tuple<VersionRecord, std::array<int32_t, 5>, const char*> cases[] = { // components, count; printed
        {version("1.6.0_20"), {1, 6, 0, 20, 4}, "1.6.0.20"}, {version("jdk1.5.0", top), {1, 5, 0, top, 3}, "1.5"},
        {version("9.6.0.20.5"), {9, 6, 0, 20, 4}, "9.6.0.20"}, {version("2"), {2, 0, 0, 0, 1}, "2.0"},
        {version("2147483646 2147483648"), {2147483646, largest, 0, 0, 2}, "2147483646.2147483647"},
        {version("1.0.18446744073709551616", top), {1, 0, largest, top, 3}, "1.0.2147483647"},
        {version("abc", top), {0, 0, 0, 0, 0}, "0.0.0.0"}, {version("65535.65535"), {top, top, 0, 0, 2}, "0.0.0.0"},
        // The trail byte 0x31 of a double-byte character is no digit.
        {version("\x82\x31 1.5", 0, true), {1, 5, 0, 0, 2}, "1.5"}, {version("\x82\x31", 0, true), {}, "0.0.0.0"}};
    for (const auto& [v, expected, printed] : cases) {
        EXPECT_EQ((std::array<int32_t, 5>{v.components[0], v.components[1], v.components[2], v.components[3], v.count}),
                  expected) << printed;
        EXPECT_EQ(format_version(v), printed);
    }
}

TEST(VersionTest, PreferenceRangeAndRequirementLookAtTheComponents) {
    const std::tuple<const char*, const char*, bool> preferred[] = {{"1.6.1_20", "1.6", true}, {"1.7", "1.6", false},
        {"1.60", "1.6", false}, {"1.6", "1.6.0", true}, {"1.6", "1.6.0_20", false}, {"jre", "", true}, {"1.6", "", false}};
    for (const auto& [runtime, wanted, matches] : preferred) {
        EXPECT_EQ(version_matches_preferred(version(runtime), version(wanted)), matches) << runtime << " " << wanted;
    }
    const FakeCodePage page;
    const std::tuple<const char*, const char*, const char*, bool> ranges[] = {{"1.6.0_20", "", "1.6", true},
        {"1.7", "", "1.6", false}, {"1.6", "1.6.0_10", "", false}, {"1.6.0_10", "1.6.0_10", "1.6.0_10", true},
        {"99.9", "", "", true}, {"0.0", "any", "1.6", true}, {"65536", "any", "any", false}};
    for (const auto& [runtime, minimum, maximum, within] : ranges) {
        EXPECT_EQ(version_within_range(version(runtime), minimum_version_from(minimum, page),
                                       maximum_version_from(maximum, page)), within) << runtime << minimum << maximum;
    }
    testing::FakeSystem fake;
    EXPECT_EQ(requirement_text(Messages(fake.system), minimum_version_from("1.5", page), maximum_version_from("any", page)) +
              requirement_text(Messages(fake.system), version("1.6.0.0"), version("1.6.0.0")),
              "minimum version 1.5version 1.6 is required");
}

TEST(VmOptionsTest, ParametersPercentagesAndTheThreadStack) {
    const std::pair<const char*, Strings> split[] = {{" -Xmx1m  -Xms1m ", {"", "-Xmx1m", "-Xms1m"}},
        {"-Dp=\"a b\"c d", {"-Dp=a bc", "d"}}, {"-Dx=\"a b\"-\"c d\" e", {"-Dx=a b-c d", "e"}}, {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"\" -Xmx1m", {"say \"hi\"\"", "-Xmx1m"}}, // the fourth quote has no partner
        {"-Dx=\"a b", {"-Dx=\"a", "b"}}};
    for (const auto& [text, expected] : split) {
        Strings options;
        for (const std::string& token : split_vm_parameters(text)) options.push_back(remove_quotes(token));
        EXPECT_EQ(options, expected) << text;
    }
    constexpr uint64_t gib = uint64_t{1} << 30;
    const std::tuple<const char*, uint64_t, const char*> percentages[] = { // of the physical memory; of 2 GB: T
        {"-Xmx50p", 2 * gib, "-Xmx1048576K"}, {"-Xmx50:64:512P", 2 * gib, "-Xmx524288K"},
        {"-Xmx50::512:1P", 2 * gib, "-Xmx524288K"}, {"-Xmx75:256:1024T", 4 * gib, "-Xmx1048576K"},
        {"-Xss10t", 4 * gib, "-Xss195312K"}, {"-Xms10:128P", gib / 2, "-Xms131072K"},
        {"-Xmx50:512:256P", 2 * gib, "-Xmx524288K"}, // numbers beyond 32 bits saturate, sizes beyond 64 bits too:
        {"-Xmx4294967297P", 8 * gib, "-Xmx360287970105753K"}, {"-Xmx4294967297P", ~uint64_t{0}, "-Xmx18446744073709551615K"},
        {"-Xmx1:99999999999999999999:2P", 2 * gib, "-Xmx4398046510080K"}};
    for (const auto& [token, physical, expected] : percentages) {
        EXPECT_TRUE(is_percentage_memory_option(token)) << token;
        EXPECT_EQ(rewrite_percentage_memory_option(token, physical, 2000000000), expected) << token;
    }
    for (const char* other : {"-Xmx512m", "-xmx50P", "-Xmn50P", "-Dp=50P", "-Xm", ""}) {
        EXPECT_FALSE(is_percentage_memory_option(other)) << other;
    }
    const std::pair<const char*, uint32_t> stacks[] = {{"-Xss512k", 524288}, {"-Xss512K", 524288}, {"-Xss1m", 1048576},
        {"-Xss1M", 1048576}, {"-Xss1g", 1u << 30}, {"-Xss1G", 1u << 30}, {"-Xss:1k", 0}, {"-Xss1:2k", 0}, {"-Xss", 0},
        {"-Xmx512k", 0}, {"-Xss100", 10}}; // without a unit letter the reader stops before the last digit
    for (const auto& [token, expected] : stacks) EXPECT_EQ(thread_stack_size_from(token), expected) << token;
}

TEST(VmOptionsTest, EnvironmentAndOptionsOfTheRuntime) {
    // 0x95 0x5C is one Shift-JIS character: its trail byte is no separator.
    const std::string home = "C:\\Java\\\x95\x5Cjre", dll = home + "\\bin\\client\\jvm.dll";
    EXPECT_EQ(remove_components(dll, 4, '\\', FakeCodePage(true)) + remove_components(dll, 4, '\\', FakeCodePage()),
              "C:\\JavaC:\\Java\\\x95");
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        // System Path, Library Path, Virtual Machine Parameters; the options after the class path, stack size
        {"", "", "", "0"}, {"C:\\T;", "C:\\L", "%OPTS% -Xss512k", "-Xms1m -Xmx50P|-Xss512k|524288"}, // split first
        {"C:\\T", "C:\\L;", "-Xss1:2T -Xss:1k \"-Dx=%TEMP%\\a b\"", "-Xss19531K|-Xss:1k|-Dx=C:\\Tmp\\a b|19999744"}};
    for (const auto& [system_path, library_path, parameters, options] : cases) {
        testing::FakeSystem fake;
        fake.variables = {{"Path", "C:\\W"}, {"TEMP", "C:\\Tmp"}, {"OPTS", "-Xms1m -Xmx50P"}};
        VmSettings settings{"App", "%TEMP%\\a.jar", parameters, "", "", system_path, library_path};
        VmOptions vm;
        prepare_environment(fake.system, Messages(fake.system), settings, dll, vm);
        ASSERT_TRUE(assemble_options(fake.system, Messages(fake.system), settings, vm)) << parameters;
        std::string all;
        for (const std::string& option : vm.options) all += option + "|";
        // The library path sees the inherited search path, not the new one.
        EXPECT_EQ(all + std::to_string(vm.java_thread_stack_size), std::string(*library_path ? "-Djava.library.path=C:"
                  "\\L;C:\\Apps\\;.;C:\\W;" + home + "\\lib|" : "") + "-Djava.class.path=C:\\Tmp\\a.jar|" + options);
        EXPECT_EQ(std::make_tuple(fake.variables["Path"], fake.variables["JX_JVM_HOME"], fake.variables["JX_JVM_PATH"]),
                  std::make_tuple((*system_path ? "C:\\T;C:\\W;" : "C:\\W;") + home + "\\bin", home, dll));
    }
}

} // namespace
} // namespace embark
