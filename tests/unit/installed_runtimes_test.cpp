#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/settings.h"
#include "runtime/installed_runtimes.h"

namespace embark {

using testing::Strings;
const std::string jdk = "Software\\JavaSoft\\Java Development Kit\\", jre = "Software\\JavaSoft\\Java Runtime Environment\\",
                  jrockit_jre = "Software\\JRockit\\Java Runtime Environment\\", zero(1, '\0'),
                  jrockit_jdk = "Software\\JRockit\\Java Development Kit\\";

TEST(InstalledRuntimesTest, SourceAndProviderChooseTheKeysInOrderAndTheFavouredEntries) {
    struct Case { const char* source; const char* provider; Strings keys; const char* favoured; }; // favoured: *
    const Case cases[] = {{"", "", {jdk, jre}, "**"}, {"only_JRE", "Any", {jre, jrockit_jre}, "--"},
        {"favor_JDK", "favor_jrockit", {jdk, jre, jrockit_jre, jrockit_jdk}, "---*"}, {"only_jdk", "", {}, ""},
        {"only_JDK", "favor_sun", {jdk, jrockit_jdk}, "*-"}, {"", "JRockit", {jrockit_jre, jrockit_jdk}, "**"},
        {"favor_JRE", "sun", {jdk, jre}, "-*"}};
    for (const auto& [source, provider, keys, favoured] : cases) {
        testing::FakeSystem fake;
        RuntimeRequest request;
        apply_jvm_source(source, request.preferences), apply_vm_provider(provider, fake.code_page, request.preferences);
        for (const std::string& key : {jdk, jre, jrockit_jre, jrockit_jdk}) fake.homes[key + "1.6"] = "C:\\j";
        fake.existing.insert("C:\\j\\bin\\client\\jvm.dll");
        Strings opened;
        std::string marks;
        for (const std::string& key : keys) opened.insert(opened.end(), {key, key + "1.6"});
        for (const RuntimeCandidate& found : scan_installed_runtimes(fake.system, {}, request, SourceGroup::classic)) marks += found.favoured ? "*" : "-";
        EXPECT_EQ(fake.opened, opened) << source << " " << provider;
        EXPECT_EQ(marks, favoured) << source << " " << provider;
    }
}

TEST(InstalledRuntimesTest, EntriesGiveTheirRuntimeHomesWithinTheVersionRange) {
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
    struct Found { const char* home; const char* version; bool server = false, favoured = false; };
    auto expect_found = [&](const char* minimum, const char* maximum, const std::vector<Found>& expected) {
        request.minimum_version = minimum_version_from(minimum, fake.code_page);
        request.maximum_version = maximum_version_from(maximum, fake.code_page);
        fake.opened.clear();
        const std::vector<RuntimeCandidate> found = scan_installed_runtimes(fake.system, {}, request, SourceGroup::classic);
        ASSERT_EQ(found.size(), expected.size()) << minimum << " to " << maximum;
        for (size_t i = 0; i < found.size(); ++i) {
            SCOPED_TRACE(expected[i].home);
            EXPECT_EQ(found[i].runtime_home, expected[i].home);
            EXPECT_EQ(format_version(found[i].version), expected[i].version);
            EXPECT_EQ(found[i].has_server_vm, expected[i].server);
            EXPECT_EQ(found[i].favoured, expected[i].favoured);
        }
    };
    expect_found("", "", {{"C:\\jdk4\\jre\\", "1.4.2"}, {"C:\\jdk5\\", "1.5.0.22", true}, {"C:\\jdk6\\jre\\", "1.6", true},
                          {"C:\\jre6\\", "1.6.0.20"}, {"C:\\jre8\\", "1.8"}, {"\\", "1.9", false, true}});
    expect_found("1.5", "1.6",
                 {{"C:\\jdk5\\", "1.5.0.22", true}, {"C:\\jdk6\\jre\\", "1.6", true}, {"C:\\jre6\\", "1.6.0.20"}});
    EXPECT_EQ(fake.opened, (Strings{jdk, jdk + "1.5.0_22", jdk + "1.6.0", jre, jre + "1.6.0_20", jrockit_jre,
                                    jrockit_jdk})); // entries outside the range are never opened
}

TEST(InstalledRuntimesTest, ModernSourcesEachWhereItsInstallerWritesIt) {
    testing::FakeSystem fake;
    fake.variables["JAVA_HOME"] = "C:\\jh", fake.files["C:\\jh\\release"] = "A=1\nJAVA_VERSION=\"21.0.1\"\r\n";
    fake.files["C:\\sap\\release"] = "JAVA_VERSION=\"23-ea\"", fake.files["C:\\x\\release"] = "JAVA_VERSION=\"\"";
    fake.homes = {{"SOFTWARE\\JavaSoft\\JDK\\17.0.2", "C:\\o17"}, {"SOFTWARE\\JavaSoft\\JRE\\1.8.0_391", "C:\\o8"},
                  {"SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "C:\\t17\\"},
                  {"HKCU\\SOFTWARE\\Semeru\\JRE\\11.0.21.9\\openj9\\EXE", "C:\\s11\\"},
                  {"SOFTWARE\\Microsoft\\JDK\\25.0.1.8\\hotspot\\MSI", "C:\\gone\\"}, // uninstalled, key left behind
                  {"SOFTWARE\\Azul Systems\\Zulu\\zulu-11-jre", "C:\\z11"}, {"HKCU\\SOFTWARE\\Azul Systems\\Zulu\\zulu-22", "C:\\z22"},
                  {"SOFTWARE\\BellSoft\\Liberica\\jre-16", "C:\\l16"}, {"SOFTWARE\\SapMachine\\JDK\\ea", "C:\\sap"},
                  {"SOFTWARE\\SapMachine\\JDK\\none", "C:\\x"}, {jre + "1.6", "C:\\old"}};
    for (const char* home : {"jh", "o17", "o8", "t17\\jre", "s11", "z11", "z22", "l16", "sap", "x", "old"})
        fake.existing.insert(std::string("C:\\") + home + "\\bin\\server\\jvm.dll");
    struct Case { const char* source; const char* provider; SourceGroup group; const char* found; }; // home@version, ...
    const Case cases[] = {{"", "", SourceGroup::modern, "jh@21.0.1 o17@17.0.2 o8@1.8.0.391 t17\\jre@17.0.9.9 s11@11.0.21.9 "
                                                        "z11@11.0 z22@22.0 l16@16.0 sap@23.0 "},
        {"only_JRE", "", SourceGroup::modern, "o8@1.8.0.391 s11@11.0.21.9 z11@11.0 l16@16.0 "},
        {"favor_JDK", "jrockit", SourceGroup::modern, ""}, {"", "", SourceGroup::classic, "old@1.6 "}};
    for (const auto& [source, provider, group, found] : cases) {
        RuntimeRequest request;
        apply_jvm_source(source, request.preferences), apply_vm_provider(provider, fake.code_page, request.preferences);
        std::string homes;
        for (const RuntimeCandidate& candidate : scan_installed_runtimes(fake.system, {}, request, group))
            homes += candidate.runtime_home.substr(3, candidate.runtime_home.size() - 4) + "@" + format_version(candidate.version) + " ";
        EXPECT_EQ(homes, found) << source << " " << provider;
    }
}

TEST(InstalledRuntimesTest, FoldersOfRuntimesByTheirReleaseFiles) {
    testing::FakeSystem fake;
    fake.system.paths = {'/', ':', "PATH", ""}, fake.system.machine = {platform::MachineType::Format::elf, 62};
    fake.folders["/usr/lib/jvm"] = {"d", "c", "b", "a"}; // listed in no order
    for (const auto& [name, release, library] : std::vector<std::tuple<std::string, std::string, bool>>{
             {"a", "JAVA_VERSION=\"17.0.2\"", true}, {"b", "JAVA_VERSION=11\n", false}, {"c", "JAVA_VERSION=11", true},
             {"d", "JAVA_VERSION=\"none\"", true}}) {
        fake.files["/usr/lib/jvm/" + name + "/release"] = release;
        if (library) fake.existing.insert("/usr/lib/jvm/" + name + "/lib/server/libjvm.so");
    }
    std::string found;
    for (const RuntimeCandidate& candidate : scan_installed_runtimes(fake.system, {}, RuntimeRequest{}, SourceGroup::classic))
        found += candidate.runtime_home + "@" + format_version(candidate.version) + " ";
    EXPECT_EQ(found, "/usr/lib/jvm/a/@17.0.2 /usr/lib/jvm/c/@11.0 ");
}

TEST(InstalledRuntimesTest, PickByPreferenceThenOrder) {
    struct Pick { const char* version; const char* home; bool favoured = false, server = false; };
    struct Case { std::vector<Pick> picks; Strings preferred; bool both_kinds; JvmType jvm_type; const char* picked; };
    const Case cases[] = {
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, true, JvmType::any, "new"},
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, false, JvmType::any, "other"},
        {{{"1.7", "plain"}, {"1.6", "server", false, true}}, {}, true, JvmType::favor_server, "server"},
        {{{"1.7", "favoured", true}, {"1.8", "server", false, true}}, {}, true, JvmType::favor_server, "favoured"},
        {{{"1.6", "first"}, {"1.6.0", "second"}, {"1.7", "seven"}}, {"1.4", "1.6.0"}, true, JvmType::any, "first"}};
    const testing::FakeCodePage page;
    for (const auto& [picks, preferred, both_kinds, jvm_type, picked] : cases) {
        std::vector<RuntimeCandidate> candidates;
        for (const Pick& pick : picks) {
            RuntimeCandidate& c = candidates.emplace_back();
            parse_version(pick.version, minimum_fill, page, c.version);
            c.runtime_home = pick.home, c.favoured = pick.favoured, c.has_server_vm = pick.server;
        }
        EXPECT_EQ(pick_candidate(candidates, preferred, both_kinds, jvm_type, page)->runtime_home, picked);
    }
    EXPECT_FALSE(pick_candidate({}, {""}, true, JvmType::any, page));
}

} // namespace embark
