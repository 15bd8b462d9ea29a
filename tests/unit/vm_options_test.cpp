#include <gtest/gtest.h>

#include "fake_system.h"
#include "vm/java_vm.h"
#include "vm/vm_options.h"

namespace embark {

using testing::FakeCodePage;
using testing::Strings;

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
    struct Percentage { const char* token; uint64_t physical; const char* rewritten; }; // P: of the physical memory; T: of 2 GB
    const Percentage percentages[] = {{"-Xmx50p", 2 * gib, "-Xmx1048576K"}, {"-Xmx50:64:512P", 2 * gib, "-Xmx524288K"},
        {"-Xmx50::512:1P", 2 * gib, "-Xmx524288K"}, {"-Xmx75:256:1024T", 4 * gib, "-Xmx1048576K"},
        {"-Xss10t", 4 * gib, "-Xss195312K"}, {"-Xms10:128P", gib / 2, "-Xms131072K"},
        {"-Xmx50:512:256P", 2 * gib, "-Xmx524288K"}, // numbers beyond 32 bits saturate, sizes beyond 64 bits too:
        {"-Xmx4294967297P", 8 * gib, "-Xmx360287970105753K"}, {"-Xmx4294967297P", ~uint64_t{0}, "-Xmx18446744073709551615K"},
        {"-Xmx1:99999999999999999999:2P", 2 * gib, "-Xmx4398046510080K"}};
    for (const auto& [token, physical, rewritten] : percentages) {
        EXPECT_TRUE(is_percentage_memory_option(token)) << token;
        EXPECT_EQ(rewrite_percentage_memory_option(token, physical, 2000000000), rewritten) << token;
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
    EXPECT_EQ(remove_components(dll, 4, '\\', FakeCodePage(true)), "C:\\Java");
    EXPECT_EQ(remove_components(dll, 4, '\\', FakeCodePage()), "C:\\Java\\\x95");
    // The library path sees the inherited search path, not the new one; the parameters are split before expansion.
    const std::string library = "-Djava.library.path=C:\\L;C:\\Apps\\;.;C:\\W;" + home + "\\lib",
                      class_path = "-Djava.class.path=C:\\Tmp\\a.jar";
    struct Case { const char* system_path; const char* library_path; const char* parameters; Strings options;
                  uint32_t stack_size; };
    const Case cases[] = {{"", "", "", {class_path}, 0},
        {"C:\\T;", "C:\\L", "%OPTS% -Xss512k", {library, class_path, "-Xms1m -Xmx50P", "-Xss512k"}, 524288},
        {"C:\\T", "C:\\L;", "-Xss1:2T -Xss:1k \"-Dx=%TEMP%\\a b\"",
         {library, class_path, "-Xss19531K", "-Xss:1k", "-Dx=C:\\Tmp\\a b"}, 19999744}};
    for (const auto& [system_path, library_path, parameters, options, stack_size] : cases) {
        SCOPED_TRACE(parameters);
        testing::FakeSystem fake;
        fake.variables = {{"Path", "C:\\W"}, {"TEMP", "C:\\Tmp"}, {"OPTS", "-Xms1m -Xmx50P"}};
        VmSettings settings{"App", "%TEMP%\\a.jar", parameters, "", "", system_path, library_path, ""};
        VmOptions vm;
        prepare_environment(fake.system, settings, dll, vm);
        ASSERT_TRUE(assemble_options(fake.system, Messages(fake.system), settings, vm));
        EXPECT_EQ(vm.options, options);
        EXPECT_EQ(vm.java_thread_stack_size, stack_size);
        EXPECT_EQ(fake.variables["Path"], (*system_path ? "C:\\T;C:\\W;" : "C:\\W;") + home + "\\bin");
        EXPECT_EQ(fake.variables["JX_JVM_HOME"], home);
        EXPECT_EQ(fake.variables["JX_JVM_PATH"], dll);
    }
}


TEST(VmOptionsTest, ClassPathWildcardsAfterTheApplicationFolder) {
    testing::FakeSystem fake;
    fake.code_page.double_byte = true, fake.variables["EMBARK_APP_DIR"] = "C:\\Caller"; // replaced
    fake.folder_files = {{"C:\\Apps\\lib", {"b.jar", "A.JAR", "c.txt", ".jar", "d.jarx"}}, {".", {"x.jar"}}};
    const std::pair<const char*, const char*> cases[] = {
        {"%EMBARK_APP_DIR%\\lib\\*", "C:\\Apps\\lib\\A.JAR;C:\\Apps\\lib\\b.jar"}, {"a.jar;%EMBARK_APP_DIR%/none/*;*", "a.jar;x.jar"},
        {"lib*;lib\\*.jar;;lib\x95\\*", "lib*;lib\\*.jar;;lib\x95\\*"}}; // 0x95 0x5C: one character, no separator
    for (const auto& [class_path, expanded] : cases) {
        const VmSettings settings{"App", class_path, "", "", "", "", "", ""};
        VmOptions vm;
        prepare_environment(fake.system, settings, "C:\\J\\bin\\client\\jvm.dll", vm);
        ASSERT_TRUE(assemble_options(fake.system, Messages(fake.system), settings, vm));
        EXPECT_EQ(vm.options, Strings{std::string("-Djava.class.path=") + expanded});
    }
    EXPECT_EQ(fake.variables["EMBARK_APP_DIR"], "C:\\Apps");
}

TEST(VmOptionsTest, HintsWhenTheMainClassIsNotFound) {
    testing::FakeSystem fake;
    fake.code_page.double_byte = true, fake.existing = {"a.jar", "C:\\lib", "."};
    EXPECT_EQ(missing_class_path_entries(fake.system, "a.jar;b.jar;;C:\\lib\\*;C:\\none\\*;*;lib\x95\\*"),
              (Strings{"b.jar", "C:\\none\\*", "lib\x95\\*"})); // 0x95 0x5C: one character, no wildcard
    const std::pair<const char*, int> messages[] = {{"A has been compiled by a more recent version of the Java Runtime "
        "(class file version 70.0), this version of the Java Runtime only recognizes class file versions up to 61.0", 26},
        {"A : Unsupported major.minor version 52.0", 8}, {"Preview features are not enabled for A (class file 65.65535)", 0},
        {"version 44.0", 0}};
    for (const auto& [message, java] : messages) EXPECT_EQ(java_version_of_class_file_message(message), java) << message;
    EXPECT_EQ((std::vector{java_feature_version("1.8"), java_feature_version("17"), java_feature_version("x")}),
              (std::vector{8, 17, 0}));
}
} // namespace embark
