// The process environment and the option list for the virtual machine:
// parameter splitting, the percentage memory form, the Java thread's stack
// size, the runtime's paths and the assembled options.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "vm/vm_options.h"

namespace embark {
namespace {

using Strings = std::vector<std::string>;

constexpr uint64_t kib = 1024;
constexpr uint64_t mib = kib << 10;
constexpr uint64_t gib = mib << 10;

// The options one "Virtual Machine Parameters" value gives, before expansion.
Strings parameter_options(const std::string& text) {
    Strings options;
    for (const std::string& token : split_vm_parameters(text)) {
        options.push_back(remove_quotes(token));
    }
    return options;
}

TEST(VmParametersTest, SplitAtBlanksOutsideQuotes) {
    const std::pair<const char*, Strings> cases[] = {
        {"", {}},
        {"-Xms64m   -Xmx512m", {"-Xms64m", "-Xmx512m"}},
        {"-Xmx1m  ", {"-Xmx1m"}},
        {" -Xmx1m", {"", "-Xmx1m"}},
        {"-Xms1m\t-Xmx2m", {"-Xms1m\t-Xmx2m"}}, // only blanks separate
        {"\"-Dapp.home=C:\\Program Files\\App\" -Xmx256m", {"-Dapp.home=C:\\Program Files\\App", "-Xmx256m"}},
        {"-Dp=\"a b\"c d", {"-Dp=a bc", "d"}},
        {"-Dx=\"a b\"-\"c d\" e", {"-Dx=a b-c d", "e"}},
        // Each doubled quote inside a quoted stretch leaves one literal quote.
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"say \"\"hi\"\"\"\" -Xmx1m", {"say \"hi\"\"", "-Xmx1m"}}, // the fourth quote has no partner
        {"-Dx=\"a b", {"-Dx=\"a", "b"}},                              // an unmatched quote stays
        {"\"\"", {""}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parameter_options(text), expected) << text;
    }
}

TEST(VmParametersTest, PercentageMemoryOptions) {
    struct Case {
        const char* token;
        uint64_t physical, available_virtual;
        const char* expected;
    };
    const Case cases[] = {
        {"-Xmx50P", 2 * gib, 0, "-Xmx1048576K"},
        {"-Xmx50p", 2 * gib, 0, "-Xmx1048576K"},
        {"-Xmx50:64:512P", 2 * gib, 0, "-Xmx524288K"},
        {"-Xmx50::512P", 2 * gib, 0, "-Xmx524288K"},
        {"-Xmx50:0:512:1P", 2 * gib, 0, "-Xmx524288K"}, // a fourth number is ignored
        {"-Xmx75:256:1024T", 4 * gib, 2000000000, "-Xmx1048576K"},
        {"-Xmx10t", 4 * gib, 2000000000, "-Xmx195312K"},
        {"-Xms10:128P", 512 * mib, 0, "-Xms131072K"},
        {"-Xmx50:512:256P", 2 * gib, 0, "-Xmx524288K"}, // a minimum above the maximum wins
        {"-Xmx150P", 2 * gib, 0, "-Xmx3145728K"},
        {"-Xss1:2T", 0, 2 * gib, "-Xss20971K"},
        // Sizes beyond 32 bits.
        {"-Xmx50P", 64 * gib, 0, "-Xmx33554432K"},
        {"-Xmx100T", 0, uint64_t{1} << 47, "-Xmx137438953472K"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(is_percentage_memory_option(c.token)) << c.token;
        EXPECT_EQ(rewrite_percentage_memory_option(c.token, c.physical, c.available_virtual), c.expected)
            << c.token;
    }
    for (const char* other : {"-Xmx512m", "-xmx50P", "-XMX50P", "-Xmn50P", "-Dp=50P", "-Xm", ""}) {
        EXPECT_FALSE(is_percentage_memory_option(other)) << other;
    }
}

TEST(VmParametersTest, ThreadStackSize) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"-Xss512k", 524288},
        {"-Xss512K", 524288},
        {"-Xss1m", 1048576},
        {"-Xss1M", 1048576},
        {"-Xss1G", 1073741824},
        {"-Xss1g", 1073741824},
        {"-Xss20971K", 20971 * 1024},
        {"-Xss100", 10}, // no unit letter: the reader stops before the last digit
        {"-Xss:1k", 0},
        {"-Xss1:2k", 0},
        {"-Xssk", 0},
        {"-Xss", 0},
        {"-Xmx512k", 0},
        {"-xss512k", 0},
    };
    for (const auto& [token, expected] : cases) {
        EXPECT_EQ(thread_stack_size_from(token), expected) << token;
    }
}

TEST(VmParametersTest, RemoveComponents) {
    struct Case {
        const char* path;
        int count;
        char separator;
        bool shift_jis;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Java\\jre6\\bin\\client\\jvm.dll", 2, '\\', false, "C:\\Java\\jre6\\bin"},
        {"C:\\Java\\jre6\\bin\\client\\jvm.dll", 3, '\\', false, "C:\\Java\\jre6"},
        {"bin\\client\\jvm.dll", 3, '\\', false, "bin"},
        {"jvm.dll", 2, '\\', false, "jvm.dll"},
        {"/usr/lib/jvm/x/lib/server/libjvm.so", 3, '/', false, "/usr/lib/jvm/x"},
        // 0x95 0x5C is one Shift-JIS character: its trail byte is no separator.
        {"C:\\Java\\\x95\x5Cjre\\bin\\client\\jvm.dll", 4, '\\', true, "C:\\Java"},
        {"C:\\Java\\\x95\x5Cjre\\bin\\client\\jvm.dll", 4, '\\', false, "C:\\Java\\\x95"},
    };
    for (const Case& c : cases) {
        testing::FakeCodePage code_page;
        if (c.shift_jis) {
            code_page.use_shift_jis();
        }
        EXPECT_EQ(remove_components(c.path, c.count, c.separator, code_page), c.expected) << c.path;
    }
}

class VmOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { fake.environment.variables["Path"] = "C:\\Windows"; }

    testing::FakeSystem fake;
    Messages messages{fake.system};
};

TEST_F(VmOptionsTest, PrepareEnvironmentPublishesTheRuntime) {
    struct Case {
        const char* system_path;
        const char* library_path;
        const char* search_path;
        Strings options;
    };
    const Case cases[] = {
        {"", "", "C:\\Windows;C:\\Java\\jre6\\bin", {}},
        {"C:\\Tools", "", "C:\\Tools;C:\\Windows;C:\\Java\\jre6\\bin", {}},
        {"C:\\Tools;", "", "C:\\Tools;C:\\Windows;C:\\Java\\jre6\\bin", {}},
        // The library path sees the inherited search path, not the new one.
        {"C:\\Tools", "C:\\Lib;", "C:\\Tools;C:\\Windows;C:\\Java\\jre6\\bin",
         {"-Djava.library.path=C:\\Lib;C:\\Apps\\;.;C:\\Windows;C:\\Java\\jre6\\lib"}},
        // A value without its own separator is not glued to the executable's folder.
        {"", "C:\\Lib", "C:\\Windows;C:\\Java\\jre6\\bin",
         {"-Djava.library.path=C:\\Lib;C:\\Apps\\;.;C:\\Windows;C:\\Java\\jre6\\lib"}},
    };
    for (const Case& c : cases) {
        fake.environment.variables["Path"] = "C:\\Windows";
        LauncherState state;
        state.vm_library_path = "C:\\Java\\jre6\\bin\\client\\jvm.dll";
        state.system_path = c.system_path;
        state.library_path = c.library_path;
        prepare_environment(fake.system, messages, state);
        EXPECT_EQ(fake.environment.variables["JX_JVM_PATH"], state.vm_library_path);
        EXPECT_EQ(fake.environment.variables["JX_JVM_HOME"], "C:\\Java\\jre6");
        EXPECT_EQ(fake.environment.variables["Path"], c.search_path) << c.system_path;
        EXPECT_EQ(state.options, c.options) << c.library_path;
    }
    EXPECT_EQ(fake.output(), "");
}

TEST_F(VmOptionsTest, PrepareEnvironmentWithPosixConventions) {
    fake.use_posix_paths();
    fake.process.executable = "/opt/app/tool";
    fake.environment.variables["PATH"] = "/usr/bin";
    LauncherState state;
    state.vm_library_path = "/usr/lib/jvm/x/lib/server/libjvm.so";
    state.library_path = "/opt/lib:";
    prepare_environment(fake.system, messages, state);
    EXPECT_EQ(fake.environment.variables["JX_JVM_PATH"], state.vm_library_path);
    EXPECT_EQ(fake.environment.variables["JX_JVM_HOME"], "/usr/lib/jvm/x");
    EXPECT_EQ(fake.environment.variables["PATH"], "/usr/bin:/usr/lib/jvm/x/bin");
    EXPECT_EQ(state.options, Strings{"-Djava.library.path=/opt/lib:/opt/app/:.:/usr/bin:/usr/lib/jvm/x/lib"});
}

TEST_F(VmOptionsTest, AssembleOptions) {
    fake.environment.variables["TEMP"] = "C:\\Temp";
    fake.environment.variables["APP"] = "C:\\Apps";
    fake.environment.variables["OPTS"] = "-Xms1m -Xmx2m";
    fake.environment.variables["HEAP"] = "-Xmx50P";
    struct Case {
        const char* parameters;
        Strings options; // after the class path option
        uint32_t stack_size;
    };
    const Case cases[] = {
        {"", {}, 0},
        {"-Xms64m -Dp=1 -Xmx512m", {"-Xms64m", "-Dp=1", "-Xmx512m"}, 0},
        {"-Dlog.dir=%TEMP%\\app -Dx=%NOPE%", {"-Dlog.dir=C:\\Temp\\app", "-Dx=%NOPE%"}, 0},
        // Expanded after splitting: a value never splits nor forms a percentage option.
        {"%OPTS% %HEAP%", {"-Xms1m -Xmx2m", "-Xmx50P"}, 0},
        {"-Xmx50P -Xss512k", {"-Xmx1048576K", "-Xss512k"}, 524288},
        {"-Xss1:2T", {"-Xss20971K"}, 20971 * 1024},
        {"-Xss1m -Xss:1k", {"-Xss1m", "-Xss:1k"}, 1048576},
        {"\"-Dhome=%APP%\\My App\" -Xmx256m", {"-Dhome=C:\\Apps\\My App", "-Xmx256m"}, 0},
    };
    for (const Case& c : cases) {
        fake.put_file("C:\\Apps\\tool.ini", std::string("[Class Path]\nClass Path=%APP%\\app.jar;lib\n"
                                                        "[Java Runtime Environment]\nVirtual Machine Parameters=") +
                                                c.parameters + "\n");
        LauncherState state;
        ASSERT_TRUE(assemble_options(fake.system, messages, state)) << c.parameters;
        Strings expected{"-Djava.class.path=C:\\Apps\\app.jar;lib"};
        expected.insert(expected.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(state.options, expected) << c.parameters;
        EXPECT_EQ(state.java_thread_stack_size, c.stack_size) << c.parameters;
    }
    EXPECT_EQ(fake.output(), "");
}

TEST_F(VmOptionsTest, LibraryPathOptionComesFirstAndFileNamesStayUnexpanded) {
    fake.environment.variables["TEMP"] = "C:\\Temp";
    fake.put_file("C:\\Apps\\tool.ini",
                  "[Application]\nOutput File=%TEMP%\\out.txt\nError File=err.txt\n"
                  "[Class Path]\nClass Path=app.jar\n"
                  "[Java Runtime Environment]\nVirtual Machine Parameters=-Xmx1m\n");
    LauncherState state;
    state.vm_library_path = "C:\\Java\\jre6\\bin\\client\\jvm.dll";
    state.library_path = "C:\\Lib;";
    prepare_environment(fake.system, messages, state);
    ASSERT_TRUE(assemble_options(fake.system, messages, state));
    EXPECT_EQ(state.options, (Strings{"-Djava.library.path=C:\\Lib;C:\\Apps\\;.;C:\\Windows;C:\\Java\\jre6\\lib",
                                      "-Djava.class.path=app.jar", "-Xmx1m"}));
    EXPECT_EQ(state.output_file, "%TEMP%\\out.txt");
    EXPECT_EQ(state.error_file, "err.txt");
}

TEST_F(VmOptionsTest, MissingClassPathIsReportedAndAddsNoOption) {
    fake.put_file("C:\\Apps\\tool.ini", "[Class Path]\nClass Path=\n"
                                        "[Java Runtime Environment]\nVirtual Machine Parameters=-Xss512k\n");
    LauncherState state;
    EXPECT_FALSE(assemble_options(fake.system, messages, state));
    EXPECT_EQ(fake.output(), "Error: Java Class Path was not specified in INI file. \n");
    EXPECT_TRUE(state.options.empty());
    EXPECT_EQ(state.java_thread_stack_size, 0u);
}

} // namespace
} // namespace embark
