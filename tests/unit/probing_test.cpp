#include <gtest/gtest.h>

#include "fake_system.h"
#include "runtime/probing.h"

namespace embark {

using testing::FakeSystem;
using testing::Strings;

TEST(ProbingTest, VmLibraryInTheOrderOfTheJvmTypeAndThePrivateRuntime) {
    struct Case { Strings kinds; JvmType jvm_type; std::string found; }; // "": none
    const Case cases[] = {{{"client", "server"}, JvmType::any, "client"},
        {{"client", "server"}, JvmType::favor_server, "server"}, {{"client", "server"}, JvmType::server, "server"},
        {{"client"}, JvmType::server, ""}, {{"jrockit"}, JvmType::favor_server, "jrockit"},
        {{"hotspot", "server"}, JvmType::any, "hotspot"}, {{"classic", "hotspot"}, JvmType::favor_server, "classic"}};
    for (const auto& [kinds, jvm_type, found] : cases) {
        FakeSystem fake;
        for (const std::string& kind : kinds) fake.existing.insert("J\\bin\\" + kind + "\\jvm.dll");
        const VmLibrary library = find_vm_library(fake.system, "J\\", jvm_type);
        EXPECT_EQ(library.path, found.empty() ? "" : "J\\bin\\" + found + "\\jvm.dll");
        EXPECT_EQ(library.is_server, found == "server") << found;
    }
    // A library built for another machine counts as none: the fake is an x64 build, the last word names the machine.
    const std::string pe = "MZ" + std::string(0x3A, '\0') + "@" + std::string(3, '\0') + std::string("PE\0\0", 4);
    FakeSystem x64;
    x64.put_file("J\\bin\\client\\jvm.dll", pe + "L" + '\1'), x64.put_file("J\\bin\\server\\jvm.dll", pe + "\x64\x86");
    EXPECT_EQ(find_vm_library(x64.system, "J\\", JvmType::any).path, "J\\bin\\server\\jvm.dll"); // past the x86 client
    const std::pair<Strings, std::string> beside[] = {{{"C:\\Apps\\jre\\bin\\client\\jvm.dll"}, ""},
        {{"C:\\Apps\\bin\\java.dll", "C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\"},
        {{"C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\jre\\"}};
    for (const auto& [present, expected] : beside) {
        FakeSystem fake;
        std::string home = "stale";
        fake.existing.insert(present.begin(), present.end());
        EXPECT_TRUE(private_runtime_search(fake.system, Messages(fake.system), home));
        EXPECT_EQ(home, expected);
        fake.error = 5;
        EXPECT_FALSE(private_runtime_search(fake.system, Messages(fake.system), home));
    }
}

} // namespace embark
