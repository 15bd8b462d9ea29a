// Finding a runtime, and whole starts. Without a runtime a start ends at the missing-runtime dialog, which cannot
// be shown (or prints its message where there are no windows); with one it stops after the option assembly.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/driver.h"
#include "launcher/settings.h"
#include "runtime/library_machine.h"
#include "runtime/probing.h"
#include "runtime/registry_search.h"

namespace embark {
namespace {

using testing::Strings;
const std::string jdk = "Software\\JavaSoft\\Java Development Kit\\", jre = "Software\\JavaSoft\\Java Runtime Environment\\",
                  jrockit_jre = "Software\\JRockit\\Java Runtime Environment\\", zero(1, '\0'),
                  jrockit_jdk = "Software\\JRockit\\Java Development Kit\\";

TEST(RuntimeSearchTest, ALibraryOfAnotherMachineCountsAsNone) {
    using F = platform::MachineType::Format;
    // MZ, the PE header's offset 0x40 at 0x3C, "PE\0\0" there and the machine word (x64, x86); an x86-64 ELF header.
    const std::string pe = "MZ" + std::string(0x3A, '\0') + "@" + std::string(3, '\0') + std::string("PE\0\0", 4),
                      x64 = pe + "\x64\x86", x86 = pe + "L" + '\1', elf = "\x7F" "ELF\2\1\1" + std::string(11, '\0') + ">";
    const std::pair<std::string, platform::MachineType> cases[] = {{x64, {F::pe, 0x8664}}, {x86, {F::pe, 0x14C}},
        {pe + "L", {}}, {"ZM" + x86.substr(2), {}}, {elf + '\0', {F::elf, 62}}, {elf, {}}}; // cut off, not MZ, cut off
    for (const auto& [start, machine] : cases) EXPECT_TRUE(library_machine(start) == machine) << ::testing::PrintToString(start);
    testing::FakeSystem fake; // an x64 build
    fake.put_file("J\\bin\\client\\jvm.dll", x86), fake.put_file("J\\bin\\server\\jvm.dll", x64);
    EXPECT_EQ(find_vm_library(fake.system, "J\\", JvmType::any).path, "J\\bin\\server\\jvm.dll"); // past the x86 client
}

TEST(RuntimeSearchTest, VmLibraryInTheOrderOfTheJvmTypeAndThePrivateRuntime) {
    const std::tuple<Strings, JvmType, std::string> cases[] = {{{"client", "server"}, JvmType::any, "client"},
        {{"client", "server"}, JvmType::favor_server, "server"}, {{"client", "server"}, JvmType::server, "server"},
        {{"client"}, JvmType::server, ""}, {{"jrockit"}, JvmType::favor_server, "jrockit"},
        {{"hotspot", "server"}, JvmType::any, "hotspot"}, {{"classic", "hotspot"}, JvmType::favor_server, "classic"}};
    for (const auto& [kinds, jvm_type, expected] : cases) {
        testing::FakeSystem fake;
        for (const std::string& kind : kinds) fake.existing.insert("J\\bin\\" + kind + "\\jvm.dll");
        const VmLibrary found = find_vm_library(fake.system, "J\\", jvm_type);
        EXPECT_EQ(found.path + (found.is_server ? " server" : ""),
                  expected.empty() ? "" : "J\\bin\\" + expected + "\\jvm.dll" + (expected == "server" ? " server" : ""));
    }
    const std::pair<Strings, std::string> beside[] = {{{"C:\\Apps\\jre\\bin\\client\\jvm.dll"}, ""},
        {{"C:\\Apps\\bin\\java.dll", "C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\"},
        {{"C:\\Apps\\jre\\bin\\java.dll"}, "C:\\Apps\\jre\\"}};
    for (const auto& [present, expected] : beside) {
        testing::FakeSystem fake;
        std::string home = "stale";
        fake.existing.insert(present.begin(), present.end());
        EXPECT_TRUE(private_runtime_search(fake.system, Messages(fake.system), home) && home == expected) << home;
        fake.error = 5;
        EXPECT_FALSE(private_runtime_search(fake.system, Messages(fake.system), home));
    }
}

TEST(RuntimeSearchTest, SourceAndProviderChooseTheKeysInOrderAndTheFavouredEntries) {
    const std::tuple<const char*, const char*, Strings, const char*> cases[] = { // the keys; favoured entries: *
        {"", "", {jdk, jre}, "**"}, {"favor_JDK", "favor_jrockit", {jdk, jre, jrockit_jre, jrockit_jdk}, "---*"},
        {"only_JRE", "Any", {jre, jrockit_jre}, "--"}, {"only_JDK", "favor_sun", {jdk, jrockit_jdk}, "*-"},
        {"", "JRockit", {jrockit_jre, jrockit_jdk}, "**"}, {"favor_JRE", "sun", {jdk, jre}, "-*"}, {"only_jdk", "", {}, ""}};
    for (const auto& [source, provider, keys, favoured] : cases) {
        testing::FakeSystem fake;
        RuntimeRequest request;
        apply_jvm_source(source, request.preferences), apply_vm_provider(provider, fake.code_page, request.preferences);
        for (const std::string& key : {jdk, jre, jrockit_jre, jrockit_jdk}) fake.homes[key + "1.6"] = "C:\\j";
        fake.existing.insert("C:\\j\\bin\\client\\jvm.dll");
        Strings expected;
        std::string marks;
        for (const std::string& key : keys) expected.insert(expected.end(), {key, key + "1.6"});
        for (const RuntimeCandidate& found : scan_registry(fake.system, request)) marks += found.favoured ? "*" : "-";
        EXPECT_EQ(std::make_tuple(fake.opened, marks), std::make_tuple(expected, favoured)) << source << provider;
    }
}

TEST(RuntimeSearchTest, EntriesGiveTheirRuntimeHomesWithinTheVersionRange) {
    testing::FakeSystem fake;
    RuntimeRequest request;
    apply_jvm_source("", request.preferences), apply_vm_provider("favor_jrockit", fake.code_page, request.preferences);
    request.jvm_type = JvmType::favor_server; // JavaSoft runtime entries are still probed client first
    fake.homes = {{jdk + "1.4.2", "C:\\jdk4" + zero}, {jdk + "1.5.0_22", "C:\\jdk5\\" + zero},
                  {jdk + "1.6.0", "C:\\jdk6"}, {jre + "1.6.0_20", "C:\\jre6" + zero}, {jre + "1.9", ""},
                  {jre + "1.8", "C:\\jre8" + zero + "D:\\x"}, {jre + "jre", "C:\\jrx" + zero}, {jrockit_jre + "1.9", zero}};
    // A JDK's runtime is its jre folder, or (Java 9 and later) its home; a JRE has no jre folder.
    for (const char* folder : {"C:\\jdk4\\jre\\bin\\client", "C:\\jdk5\\bin\\server", "C:\\jdk6\\bin\\server",
             "C:\\jdk6\\jre\\bin\\client", "C:\\jdk6\\jre\\bin\\server", "C:\\jre6\\bin\\client", "C:\\jre6\\bin\\server",
             "C:\\jre8\\bin\\client", "C:\\jrx\\jre\\bin\\client", "\\bin\\client"}) {
        fake.existing.insert(std::string(folder) + "\\jvm.dll");
    }
    auto homes = [&](const char* minimum, const char* maximum) {
        request.minimum_version = minimum_version_from(minimum, fake.code_page);
        request.maximum_version = maximum_version_from(maximum, fake.code_page);
        fake.opened.clear();
        std::string found;
        for (const RuntimeCandidate& c : scan_registry(fake.system, request)) {
            found += c.runtime_home + (c.has_server_vm ? "+server " : " ") + format_version(c.version);
            found += c.favoured ? "* " : " ";
        }
        return found;
    };
    EXPECT_EQ(homes("", ""), "C:\\jdk4\\jre\\ 1.4.2 C:\\jdk5\\+server 1.5.0.22 C:\\jdk6\\jre\\+server 1.6 "
                             "C:\\jre6\\ 1.6.0.20 C:\\jre8\\ 1.8 \\ 1.9* ");
    EXPECT_EQ(homes("1.5", "1.6"), "C:\\jdk5\\+server 1.5.0.22 C:\\jdk6\\jre\\+server 1.6 C:\\jre6\\ 1.6.0.20 ");
    EXPECT_EQ(fake.opened, (Strings{jdk, jdk + "1.5.0_22", jdk + "1.6.0", jre, jre + "1.6.0_20", jrockit_jre,
                                    jrockit_jdk})); // entries outside the range are never opened
}

TEST(RuntimeSearchTest, PickByPreferenceThenOrder) {
    struct Pick { const char* version; const char* home; bool favoured = false, server = false; };
    const std::tuple<std::vector<Pick>, Strings, bool, JvmType, const char*> cases[] = {
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, true, JvmType::any, "new"},
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, false, JvmType::any, "other"},
        {{{"1.7", "plain"}, {"1.6", "server", false, true}}, {}, true, JvmType::favor_server, "server"},
        {{{"1.7", "favoured", true}, {"1.8", "server", false, true}}, {}, true, JvmType::favor_server, "favoured"},
        {{{"1.6", "first"}, {"1.6.0", "second"}, {"1.7", "seven"}}, {"1.4", "1.6.0"}, true, JvmType::any, "first"}};
    const testing::FakeCodePage page;
    for (const auto& [picks, preferred, both_kinds, jvm_type, expected] : cases) {
        std::vector<RuntimeCandidate> candidates;
        for (const Pick& pick : picks) {
            RuntimeCandidate& c = candidates.emplace_back();
            parse_version(pick.version, minimum_fill, page, c.version);
            c.runtime_home = pick.home, c.favoured = pick.favoured, c.has_server_vm = pick.server;
        }
        EXPECT_EQ(pick_candidate(candidates, preferred, both_kinds, jvm_type, page)->runtime_home, expected);
    }
    EXPECT_FALSE(pick_candidate({}, {""}, true, JvmType::any, page));
}

const std::string remembered = "C:\\jre6\\bin\\client\\jvm.dll", registered = "C:\\jre8\\bin\\client\\jvm.dll",
                  no_runtime = "Error: The Java Runtime Environment (JRE) was not found. Please  download and install"
                               " a JRE ";

TEST(DriverTest, StartsThatFindNoRuntime) {
    const std::string from = " from: https://adoptium.net/temurin/releases/ \n";
    const std::tuple<const char*, unsigned long, bool, const char*, std::string> cases[] = { // dialogs; null: no file
        {"C:\\Apps\\tool.exe", 0, true, nullptr, "Error: Main class was not specified in INI file. \n"},
        {"C:\\Apps\\tool", 0, true, "", ""}, // no dot in the path: no settings file name
        {"C:\\Apps\\tool.exe", 0x80004005ul, true, "",
         "Error: Windows exception: failed to get the module path (errno = -2147467259).\n \n"},
        {"C:\\Apps\\tool.exe", 0, true, "JVM Type=server", ""}, // the registry's 1.6 has a client VM only
        {"C:\\Apps\\tool.exe", 0, false, "JVM Type=server", no_runtime + "with a server JVM (latest version)" + from},
        {"C:\\Apps\\tool.exe", 0, true, "JVM Type=server\n[Application]\nApplication Type=service", // no dialog
         no_runtime + "with a server JVM (latest version)" + from},
        {"C:\\Apps\\tool.exe", 0, false, "Minimum Version=1.4\nMaximum Version=1.5",
         no_runtime + "(version between 1.4 and 1.5)" + from}};
    for (const auto& [executable, error, dialogs, lines, output] : cases) {
        testing::FakeSystem fake;
        fake.windows.dialogs = dialogs, fake.executable = executable, fake.error = error;
        if (lines) fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=A\n") + lines);
        fake.homes[jre + "1.6.0_20"] = "C:\\jre6", fake.existing.insert(remembered);
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(fake.output, output) << executable << " " << (lines ? lines : "");
        EXPECT_EQ(fake.loaded.size() + fake.created.size() + fake.made_current.size(), 0u);
    }
}

TEST(DriverTest, RuntimeSourcesInOrderOfPrecedenceAndLoadFailures) {
    const std::string beside = "C:\\Apps\\bin\\client\\jvm.dll", marker = "C:\\Apps\\bin\\java.dll",
                      entry_missing = "Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n \n";
    const std::tuple<const char*, Strings, std::set<std::string>, std::string, std::string> cases[] = {
        // JRE Path, files, exports of the library, the library loaded, output
        {"C:\\jre6", {remembered, marker, beside, registered}, {}, remembered, entry_missing},
        {"C:\\gone", {marker, beside, registered}, {}, beside, entry_missing},
        {"C:\\gone", {registered}, {"JNI_CreateJavaVM"}, registered, entry_missing},
        {"", {"bin\\client\\jvm.dll"}, {}, "bin\\client\\jvm.dll", // no private runtime: the current directory
         "Error: Failed to load Java VM library: bin\\client\\jvm.dll (errno = 126).\n \n"},
        {"C:\\jre6\\", {remembered}, {"JNI_CreateJavaVM", "JNI_GetDefaultJavaVMInitArgs"}, remembered,
         "Error: Java Class Path was not specified in INI file. \n"}};
    for (const auto& [jre_path, present, exports, library, output] : cases) {
        testing::FakeSystem fake;
        fake.put_file("C:\\Apps\\tool.ini", std::string("[Java Runtime Environment]\nMain Class=A\nJRE Path=") + jre_path);
        fake.homes[jre + "1.8.0_40"] = "C:\\jre8", fake.existing.insert(present.begin(), present.end());
        if (!exports.empty() || library != "bin\\client\\jvm.dll") fake.exports[library] = exports;
        EXPECT_EQ(run_launcher(fake.system, fake.windows), -1);
        EXPECT_EQ(std::make_tuple(fake.loaded, fake.variables["JX_JVM_PATH"], fake.output),
                  std::make_tuple(Strings{library}, library, output)); // the environment names it before the load
    }
}

} // namespace
} // namespace embark
