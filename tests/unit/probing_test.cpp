// Which virtual machine library lies below a runtime folder, and the private
// runtime beside the executable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "runtime/probing.h"

namespace embark {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* server = "bin\\server\\jvm.dll";
constexpr const char* client = "bin\\client\\jvm.dll";
constexpr const char* classic = "bin\\classic\\jvm.dll";
constexpr const char* hotspot = "bin\\hotspot\\jvm.dll";
constexpr const char* jrockit = "bin\\jrockit\\jvm.dll";

TEST(ProbingTest, VmLibraryByJvmType) {
    struct Case {
        Strings present; // below the home
        int32_t jvm_type;
        const char* expected; // below the home; empty: none
        bool is_server;
    };
    const Case cases[] = {
        {{client}, jvm_type_server, "", false},
        {{client}, jvm_type_any, client, false},
        {{client}, jvm_type_favor_server, client, false},
        {{client, server}, jvm_type_favor_server, server, true},
        {{client, server}, jvm_type_any, client, false},
        {{client, server}, jvm_type_server, server, true},
        {{server}, jvm_type_any, server, true},
        {{jrockit}, jvm_type_any, jrockit, false},
        {{jrockit}, jvm_type_favor_server, jrockit, false},
        {{jrockit}, jvm_type_server, "", false},
        {{jrockit, server}, jvm_type_any, server, true},
        {{hotspot, server}, jvm_type_any, hotspot, false},
        {{classic, hotspot}, jvm_type_favor_server, classic, false},
        {{}, jvm_type_any, "", false},
        {{}, 7, "", false},
    };
    const std::string home = "C:\\Java\\jre6\\";
    for (const Case& c : cases) {
        testing::FakeSystem fake;
        for (const std::string& file : c.present) {
            fake.files.existing.insert(home + file);
        }
        const VmLibrary found = find_vm_library(fake.system, home, c.jvm_type);
        const std::string expected = *c.expected ? home + c.expected : "";
        EXPECT_EQ(found.path, expected) << c.jvm_type << " " << ::testing::PrintToString(c.present);
        EXPECT_EQ(found.is_server, c.is_server) << c.jvm_type << " " << ::testing::PrintToString(c.present);
    }
}

TEST(ProbingTest, EmptyHomeProbesRelativePaths) {
    testing::FakeSystem fake;
    fake.files.existing = {client, "C:\\Java\\jre6\\bin\\server\\jvm.dll"};
    EXPECT_EQ(find_vm_library(fake.system, "", jvm_type_favor_server).path, client);
}

TEST(ProbingTest, PosixLayout) {
    testing::FakeSystem fake;
    fake.use_posix_paths();
    fake.files.existing = {"/usr/lib/jvm/x/lib/server/libjvm.so"};
    const VmLibrary found = find_vm_library(fake.system, "/usr/lib/jvm/x/", jvm_type_any);
    EXPECT_EQ(found.path, "/usr/lib/jvm/x/lib/server/libjvm.so");
    EXPECT_TRUE(found.is_server);
}

TEST(ProbingTest, RememberedRuntimeHomeEndsInOneSeparator) {
    EXPECT_EQ(remembered_runtime_home("C:\\Java\\jre6", '\\'), "C:\\Java\\jre6\\");
    EXPECT_EQ(remembered_runtime_home("C:\\Java\\jre6\\", '\\'), "C:\\Java\\jre6\\");
    EXPECT_EQ(remembered_runtime_home("/opt/jre", '/'), "/opt/jre/");
}

TEST(ProbingTest, PrivateRuntimeBesideTheExecutable) {
    struct Case {
        const char* executable;
        Strings present;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Apps\\tool.exe", {"C:\\Apps\\bin\\java.dll", "C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\"},
        {"C:\\Apps\\tool.exe", {"C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\jre\\"},
        {"C:\\Apps\\tool.exe", {"C:\\Apps\\jre\\bin\\client\\jvm.dll", "C:\\Apps\\jre"}, ""},
        {"C:\\Apps\\tool.exe", {}, ""},
        {"/opt/app/tool", {"/opt/app/lib/libjava.so"}, "/opt/app/"},
        {"/opt/app/tool", {"/opt/app/jre/lib/libjava.so"}, "/opt/app/jre/"},
    };
    for (const Case& c : cases) {
        testing::FakeSystem fake;
        if (c.executable[0] == '/') {
            fake.use_posix_paths();
        }
        fake.process.executable = c.executable;
        fake.files.existing.insert(c.present.begin(), c.present.end());
        std::string home = "stale";
        EXPECT_TRUE(private_runtime_search(fake.system, Messages(fake.system), home)) << c.executable;
        EXPECT_EQ(home, c.expected) << ::testing::PrintToString(c.present);
        EXPECT_EQ(fake.output(), "");
    }
}

TEST(ProbingTest, PrivateRuntimeFailsWithoutTheExecutablePath) {
    testing::FakeSystem fake;
    fake.process.executable_error = 5;
    std::string home;
    EXPECT_FALSE(private_runtime_search(fake.system, Messages(fake.system), home));
    EXPECT_EQ(fake.output(), "Error: Windows exception: failed to get the module path (errno = 5).\n \n");
}

} // namespace
} // namespace embark
