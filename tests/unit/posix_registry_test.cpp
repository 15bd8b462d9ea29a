// The runtimes installed in one folder, seen through the registry interface:
// each runtime folder with a release file is one JavaSoft runtime entry.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/posix_system.h"

namespace embark::platform::posix {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string runtime_list = "Software\\JavaSoft\\Java Runtime Environment";

class PosixRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "embark-runtimes-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        runtime("jdk-17", "IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"17.0.2\"\nOS_NAME=\"Linux\"\n");
        runtime("java-11", "JAVA_VERSION=11.0.22\n");
        runtime("z-jre8", "JAVA_VERSION=\"1.8.0_392\"\r\n");
        runtime("no-release", "");
        fs::remove(folder_ / "no-release" / "release");
        fs::create_directory_symlink(folder_ / "jdk-17", folder_ / "default-java");
        std::ofstream(folder_ / "file") << "JAVA_VERSION=\"21\"\n";
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void runtime(const std::string& name, const std::string& release) {
        fs::create_directory(folder_ / name);
        std::ofstream(folder_ / name / "release", std::ios::binary) << release;
    }

    Strings subkeys(RegistryKey& key) {
        Strings names;
        std::string name;
        for (uint32_t index = 0; key.subkey_name(index, name) && index < 100; ++index) {
            names.push_back(name);
        }
        return names;
    }

    fs::path folder_;
};

TEST_F(PosixRegistryTest, ListsRuntimeFoldersInSortedOrder) {
    PosixRegistry registry(folder_.string());
    for (const std::string& path : {runtime_list, runtime_list + "\\"}) {
        std::unique_ptr<RegistryKey> key = registry.open_local_machine(path);
        ASSERT_NE(key, nullptr) << path;
        EXPECT_EQ(subkeys(*key), (Strings{"11.0.22", "17.0.2", "1.8.0_392"})) << path;
        std::string data;
        EXPECT_FALSE(key->value("JavaHome", data));
    }
}

TEST_F(PosixRegistryTest, EntryGivesTheFolderAsJavaHome) {
    PosixRegistry registry(folder_.string());
    const std::pair<const char*, const char*> cases[] = {
        {"17.0.2", "jdk-17"}, {"11.0.22", "java-11"}, {"1.8.0_392", "z-jre8"}};
    for (const auto& [version, folder] : cases) {
        std::unique_ptr<RegistryKey> key = registry.open_local_machine(runtime_list + "\\" + version);
        ASSERT_NE(key, nullptr) << version;
        std::string data;
        ASSERT_TRUE(key->value("JavaHome", data)) << version;
        EXPECT_EQ(data, (folder_ / folder).string() + std::string(1, '\0'));
        EXPECT_FALSE(key->value("RuntimeLib", data)) << version;
        std::string name;
        EXPECT_FALSE(key->subkey_name(0, name)) << version;
    }
}

TEST_F(PosixRegistryTest, OtherKeysCannotBeOpened) {
    PosixRegistry registry(folder_.string());
    const std::string keys[] = {
        "Software\\JavaSoft\\Java Development Kit",
        "Software\\JavaSoft\\Java Development Kit\\17.0.2",
        "Software\\JRockit\\Java Runtime Environment\\",
        "Software\\JRockit\\Java Development Kit\\17.0.2",
        runtime_list + "\\21",         // the plain file
        runtime_list + "\\99",
        runtime_list + "17.0.2",       // no separator before the version
        "Software\\JavaSoft",
        "",
    };
    for (const std::string& path : keys) {
        EXPECT_EQ(registry.open_local_machine(path), nullptr) << path;
    }
}

TEST_F(PosixRegistryTest, MissingFolderListsNothing) {
    PosixRegistry registry((folder_ / "absent").string());
    std::unique_ptr<RegistryKey> key = registry.open_local_machine(runtime_list + "\\");
    if (key) {
        EXPECT_TRUE(subkeys(*key).empty());
    }
    EXPECT_EQ(registry.open_local_machine(runtime_list + "\\17.0.2"), nullptr);
}

} // namespace
} // namespace embark::platform::posix
