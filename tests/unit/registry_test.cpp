#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/posix_system.h"

namespace embark::platform::posix {

struct RegistryTest : ::testing::Test {
    void SetUp() override { ASSERT_NE(::mkdtemp(folder.data()), nullptr); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder = (std::filesystem::temp_directory_path() / "embark-runtimes-XXXXXX").string();
};

TEST_F(RegistryTest, InstalledRuntimesAreFoldersNamedByTheirReleaseFile) {
    namespace fs = std::filesystem;
    struct Runtime { const char* name; const char* release; bool library = true; }; // library: lib/server/libjvm.so
    for (const bool library_in_b : {false, true}) { // whichever the folder lists first, version 11's home holds a library
        SCOPED_TRACE(library_in_b ? "b holds the library" : "c holds the library");
        const std::string root = folder + (library_in_b ? "/second" : "/first");
        const Runtime runtimes[] = {{"a", "IMPLEMENTOR=x\nJAVA_VERSION=\"17.0.2\"\r\n"}, {"b", "JAVA_VERSION=11\n", library_in_b},
            {"c", "JAVA_VERSION=11", !library_in_b}, {"d", "JAVA_VERSION=\"none\"\n"}, {"e", "JAVA_VERSION=\"\"\n"}, {"f", ""}};
        for (const auto& [name, release, library] : runtimes) {
            fs::create_directories(root + "/" + name + "/lib/server");
            std::ofstream(root + "/" + name + "/release") << release;
            if (library) std::ofstream(root + "/" + name + "/lib/server/libjvm.so");
        }
        fs::create_directory_symlink(root + "/a", root + "/link");
        std::ofstream(root + "/file") << "JAVA_VERSION=9";
        PosixRegistry registry(root);
        const std::string key = "Software\\JavaSoft\\Java Runtime Environment";
        std::vector<std::string> names;
        auto list = registry.open_local_machine(key);
        for (uint32_t i = 0; auto name = list->subkey_name(i); ++i) names.push_back(*name);
        EXPECT_EQ(names, (std::vector<std::string>{"17.0.2", "11"})); // one entry per version, in folder order
        EXPECT_EQ(registry.open_local_machine(key + "\\11")->value("JavaHome"), root + (library_in_b ? "/b" : "/c") + '\0');
        EXPECT_FALSE(registry.open_local_machine(key + "\\9"));
        EXPECT_FALSE(registry.open_local_machine(key + "X"));
    }
}

} // namespace embark::platform::posix
