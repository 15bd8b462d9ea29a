// The runtimes that the registry lists: which keys the scan opens, which
// entries it accepts, and which candidate the selection picks.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fake_system.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "launcher/settings.h"
#include "runtime/registry_search.h"

namespace embark {
namespace {

using Strings = std::vector<std::string>;

const std::string javasoft_jdk = "Software\\JavaSoft\\Java Development Kit\\";
const std::string javasoft_jre = "Software\\JavaSoft\\Java Runtime Environment\\";
const std::string jrockit_jre = "Software\\JRockit\\Java Runtime Environment\\";
const std::string jrockit_jdk = "Software\\JRockit\\Java Development Kit\\";
constexpr const char* client = "\\bin\\client\\jvm.dll";
constexpr const char* server = "\\bin\\server\\jvm.dll";

class RegistrySearchTest : public ::testing::Test {
protected:
    // An entry below `source` whose home holds the given libraries.
    void entry(const std::string& source, const std::string& name, const std::string& home,
               const Strings& libraries = {client}) {
        fake.registry.add_java_home(source + name, home);
        for (const std::string& library : libraries) {
            fake.files.existing.insert(home + library);
        }
    }
    void preferences(const char* jvm_source, const char* vm_provider) {
        apply_jvm_source(jvm_source, state);
        apply_vm_provider(vm_provider, fake.code_page, state);
    }
    Strings homes() {
        Strings result;
        for (const RuntimeCandidate& candidate : scan_registry(fake.system, state)) {
            result.push_back(candidate.runtime_home);
        }
        return result;
    }

    testing::FakeSystem fake;
    LauncherState state;
};

TEST_F(RegistrySearchTest, OpensTheSearchedKeysInOrder) {
    struct Case {
        const char* jvm_source;
        const char* vm_provider;
        Strings sources;
    };
    const Case cases[] = {
        {"", "", {javasoft_jdk, javasoft_jre}},
        {"", "any", {javasoft_jdk, javasoft_jre, jrockit_jre, jrockit_jdk}},
        {"favor_JDK", "favor_jrockit", {javasoft_jdk, javasoft_jre, jrockit_jre, jrockit_jdk}},
        {"only_JRE", "any", {javasoft_jre, jrockit_jre}},
        {"only_JDK", "favor_sun", {javasoft_jdk, jrockit_jdk}},
        {"", "jrockit", {jrockit_jre, jrockit_jdk}},
        {"unknown", "any", {}},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        LauncherState search;
        apply_jvm_source(c.jvm_source, search);
        apply_vm_provider(c.vm_provider, local.code_page, search);
        Strings expected;
        for (const std::string& source : {javasoft_jdk, javasoft_jre, jrockit_jre, jrockit_jdk}) {
            local.registry.add_java_home(source + "1.6.0", "C:\\java");
        }
        local.files.existing.insert(std::string("C:\\java") + client);
        for (const std::string& source : c.sources) {
            expected.push_back(source);
            expected.push_back(source + "1.6.0");
        }
        EXPECT_EQ(scan_registry(local.system, search).size(), c.sources.size()) << c.jvm_source << " / " << c.vm_provider;
        EXPECT_EQ(local.registry.opened, expected) << c.jvm_source << " / " << c.vm_provider;
    }
}

TEST_F(RegistrySearchTest, RuntimeHomeOfAnEntry) {
    struct Case {
        const std::string& source;
        const char* java_home;
        Strings present;
        const char* expected; // empty: rejected
        bool has_server_vm;
    };
    const Case cases[] = {
        {javasoft_jdk, "C:\\jdk", {"C:\\jdk\\jre\\bin\\client\\jvm.dll"}, "C:\\jdk\\jre\\", false},
        {javasoft_jdk, "C:\\jdk\\", {"C:\\jdk\\jre\\bin\\client\\jvm.dll"}, "C:\\jdk\\jre\\", false},
        // A Development Kit of Java 9 or later has no jre folder.
        {javasoft_jdk, "C:\\jdk", {"C:\\jdk\\bin\\server\\jvm.dll"}, "C:\\jdk\\", true},
        {javasoft_jdk, "C:\\jdk", {"C:\\jdk\\bin\\server\\jvm.dll", "C:\\jdk\\jre\\bin\\client\\jvm.dll"},
         "C:\\jdk\\jre\\", false},
        {javasoft_jdk, "C:\\jdk", {"C:\\jdk\\jre", "C:\\jdk\\bin"}, "", false},
        {javasoft_jre, "C:\\jre", {"C:\\jre\\bin\\client\\jvm.dll"}, "C:\\jre\\", false},
        {javasoft_jre, "C:\\jre", {"C:\\jre\\jre\\bin\\client\\jvm.dll"}, "", false},
        {jrockit_jdk, "D:\\jrockit", {"D:\\jrockit\\jre\\bin\\jrockit\\jvm.dll"}, "D:\\jrockit\\jre\\", false},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        LauncherState any_provider;
        apply_vm_provider("any", local.code_page, any_provider);
        local.registry.add_java_home(c.source + "1.6.0_20", c.java_home);
        local.files.existing.insert(c.present.begin(), c.present.end());
        const std::vector<RuntimeCandidate> found = scan_registry(local.system, any_provider);
        const std::string label = c.source + " " + c.java_home + " " + ::testing::PrintToString(c.present);
        if (*c.expected == '\0') {
            EXPECT_TRUE(found.empty()) << label;
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << label;
        EXPECT_EQ(found[0].runtime_home, c.expected) << label;
        EXPECT_EQ(found[0].has_server_vm, c.has_server_vm) << label;
        EXPECT_EQ(format_version(found[0].version), "1.6.0.20") << label;
    }
}

TEST_F(RegistrySearchTest, FavorServerProbesJavaSoftRuntimeEntriesClientFirst) {
    preferences("", "any");
    state.jvm_type = jvm_type_favor_server;
    entry(javasoft_jre, "1.6.0", "C:\\jre", {client, server});
    entry(jrockit_jre, "1.6.0", "C:\\jre");
    entry(javasoft_jdk, "1.6.0", "C:\\jdk", {});
    fake.files.existing.insert({std::string("C:\\jdk\\jre") + client, std::string("C:\\jdk\\jre") + server});
    const std::vector<RuntimeCandidate> found = scan_registry(fake.system, state);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_TRUE(found[0].has_server_vm);  // JavaSoft JDK
    EXPECT_FALSE(found[1].has_server_vm); // JavaSoft JRE
    EXPECT_TRUE(found[2].has_server_vm);  // JRockit JRE
}

TEST_F(RegistrySearchTest, EntriesOutsideTheVersionRangeAreNeverOpened) {
    state.minimum_version = minimum_version_from("1.5", fake.code_page);
    state.maximum_version = maximum_version_from("1.6", fake.code_page);
    for (const char* name : {"1.4.2", "1.5.0_22", "1.6.0_20", "1.7.0", "jre"}) {
        entry(javasoft_jre, name, std::string("C:\\") + name);
    }
    EXPECT_EQ(homes(), (Strings{"C:\\1.5.0_22\\", "C:\\1.6.0_20\\"}));
    EXPECT_EQ(fake.registry.opened,
              (Strings{javasoft_jdk, javasoft_jre, javasoft_jre + "1.5.0_22", javasoft_jre + "1.6.0_20"}));
}

TEST_F(RegistrySearchTest, HostileJavaHomeValues) {
    struct Case {
        const char* label;
        std::string data;
        const char* expected; // empty: rejected
    };
    const Case cases[] = {
        {"no terminating zero", "C:\\jre", "C:\\jre\\"},
        {"text after the zero", std::string("C:\\jre") + '\0' + "D:\\other", "C:\\jre\\"},
        {"empty", "", ""},
        {"only a zero", std::string(1, '\0'), "\\"},
        {"64 KiB without a library", std::string(64 * 1024, 'x'), ""},
    };
    for (const Case& c : cases) {
        testing::FakeSystem local;
        local.registry.keys[javasoft_jre + "1.6.0"]["JavaHome"] = c.data;
        local.files.existing.insert({std::string("C:\\jre") + client, client});
        const std::vector<RuntimeCandidate> found = scan_registry(local.system, LauncherState{});
        if (*c.expected == '\0') {
            EXPECT_TRUE(found.empty()) << c.label;
        } else {
            ASSERT_EQ(found.size(), 1u) << c.label;
            EXPECT_EQ(found[0].runtime_home, c.expected) << c.label;
        }
    }
    fake.registry.keys[javasoft_jre + "1.6.0"]["RuntimeLib"] = "C:\\jre\\bin\\client\\jvm.dll";
    fake.files.existing.insert(std::string("C:\\jre") + client);
    EXPECT_TRUE(homes().empty()) << "no JavaHome value";
}

TEST_F(RegistrySearchTest, SubkeyNamesOfAnyShape) {
    const std::string long_name = std::string(250, 'v') + "1.8.0";
    entry(javasoft_jre, long_name, "C:\\long");
    entry(javasoft_jre, "jre", "C:\\plain");
    const std::vector<RuntimeCandidate> found = scan_registry(fake.system, state);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(format_version(found[1].version), "1.8");
    EXPECT_EQ(found[1].version.count, 3);
    EXPECT_EQ(found[0].runtime_home, "C:\\plain\\");
    EXPECT_EQ(format_version(found[0].version), "0.0.0.0");
    EXPECT_EQ(found[0].version.count, 0);

    // A digit-free name is within range only when there is no minimum.
    state.maximum_version = maximum_version_from("1.9", fake.code_page);
    EXPECT_EQ(homes(), (Strings{"C:\\plain\\", "C:\\long\\"}));
    state.minimum_version = minimum_version_from("1", fake.code_page);
    EXPECT_EQ(homes(), Strings{"C:\\long\\"});
}

TEST_F(RegistrySearchTest, ThousandEntriesAreAllAccepted) {
    for (int i = 0; i < 1000; ++i) {
        entry(javasoft_jre, "1.6.0_" + std::to_string(i), "C:\\java\\" + std::to_string(i));
    }
    EXPECT_EQ(scan_registry(fake.system, state).size(), 1000u);
}

struct Pick {
    const char* version;
    const char* label;
    bool favoured = false;
    bool has_server_vm = false;
};

RuntimeCandidate candidate(const Pick& pick, const platform::CodePage& code_page) {
    RuntimeCandidate result;
    parse_version(pick.version, minimum_fill, code_page, result.version);
    result.runtime_home = pick.label;
    result.favoured = pick.favoured;
    result.has_server_vm = pick.has_server_vm;
    return result;
}

TEST_F(RegistrySearchTest, PickByPreferenceThenOrder) {
    struct Case {
        std::vector<Pick> scanned; // in scanning order
        Strings preferred;
        bool both_kinds;
        int32_t jvm_type;
        const char* expected;
    };
    const Case cases[] = {
        {{{"1.6.0_20", "six"}, {"1.5.0_22", "five"}}, {"1.5", "1.6"}, true, jvm_type_any, "five"},
        {{{"1.5.0_22", "five"}, {"1.6.0_20", "six"}}, {"1.6", "1.5"}, true, jvm_type_any, "six"},
        {{{"1.6.0_20", "six"}, {"1.5.0_22", "five"}}, {"1.4", "1.5.0_22"}, true, jvm_type_any, "five"},
        // No piece matches: the newest of the first class.
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, true, jvm_type_any, "new"},
        {{{"1.5", "old", true}, {"1.7", "other"}, {"1.6", "new", true}}, {"1.4"}, false, jvm_type_any, "other"},
        {{{"1.7", "plain"}, {"1.6", "server", false, true}}, {""}, true, jvm_type_favor_server, "server"},
        {{{"1.7", "plain"}, {"1.6", "server", false, true}}, {""}, true, jvm_type_any, "plain"},
        {{{"1.7", "favoured", true}, {"1.8", "server", false, true}}, {""}, true, jvm_type_favor_server, "favoured"},
        // Equal versions keep the scanning order.
        {{{"1.6.0", "jdk"}, {"1.6.0", "jre"}}, {""}, true, jvm_type_any, "jdk"},
        {{{"1.6", "first"}, {"1.6.0", "second"}}, {""}, true, jvm_type_any, "first"},
        {{{"1.6.0", "first"}, {"1.6", "second"}}, {"1.6.0"}, true, jvm_type_any, "first"},
        // An empty piece matches only a digit-free entry.
        {{{"1.5", "five"}, {"jre", "unnamed"}}, {""}, true, jvm_type_any, "unnamed"},
        {{{"1.5", "five"}, {"1.6", "six"}}, {"", "1.5"}, true, jvm_type_any, "five"},
    };
    for (const Case& c : cases) {
        std::vector<RuntimeCandidate> candidates;
        for (const Pick& pick : c.scanned) {
            candidates.push_back(candidate(pick, fake.code_page));
        }
        const auto picked = pick_candidate(candidates, c.preferred, c.both_kinds, c.jvm_type, fake.code_page);
        ASSERT_TRUE(picked.has_value()) << c.expected;
        EXPECT_EQ(picked->runtime_home, c.expected) << ::testing::PrintToString(c.preferred);
    }
    EXPECT_FALSE(pick_candidate({}, {""}, true, jvm_type_any, fake.code_page).has_value());
}

TEST_F(RegistrySearchTest, SelectionOutputs) {
    std::string home = "unchanged";
    VersionRecord version{{9, 9, 9, 9}, 9};
    const Messages messages(fake.system);
    EXPECT_FALSE(registry_search_and_selection(fake.system, messages, state, home, version));
    EXPECT_EQ(home, "unchanged");
    EXPECT_EQ(version.components[0], 9);
    EXPECT_EQ(version.count, 9);
    EXPECT_EQ(fake.output(), "");

    entry(javasoft_jre, "1.6.0_20", "C:\\jre6");
    EXPECT_TRUE(registry_search_and_selection(fake.system, messages, state, home, version));
    EXPECT_EQ(home, "C:\\jre6\\");
    EXPECT_EQ(format_version(version), "1.6.0.20");
    EXPECT_EQ(version.count, 4);
    EXPECT_EQ(fake.output(), "");
}

} // namespace
} // namespace embark
