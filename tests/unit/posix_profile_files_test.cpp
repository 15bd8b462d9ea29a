// The POSIX profile files on real files: hostile and oversized settings files
// read without a crash or a hang, with the values the format defines.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/posix_system.h"

namespace embark::platform::posix {
namespace {

namespace fs = std::filesystem;

class PosixProfileFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "embark-profiles-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string put(const std::string& name, const std::string& contents) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary).write(contents.data(), static_cast<std::streamsize>(contents.size()));
        return path;
    }

    std::string read(const std::string& path, const char* section, const char* key) {
        return profiles_.read(path, section, key);
    }

    fs::path folder_;
    PosixProfileFiles profiles_;
};

TEST_F(PosixProfileFilesTest, MissingFileAndFolderReadAsEmpty) {
    EXPECT_EQ(read((folder_ / "absent.ini").string(), "s", "k"), "");
    EXPECT_EQ(read(folder_.string(), "s", "k"), "");
}

TEST_F(PosixProfileFilesTest, TenMebibyteFileOfShortLines) {
    std::string text = "[Java Runtime Environment]\nMain Class=com.example.App\n";
    while (text.size() < (10u << 20)) {
        text += "x\n";
    }
    text += "Last=found\n";
    const std::string path = put("big.ini", text);
    EXPECT_EQ(read(path, "Java Runtime Environment", "Main Class"), "com.example.App");
    EXPECT_EQ(read(path, "Java Runtime Environment", "Last"), "found");
}

TEST_F(PosixProfileFilesTest, TenMebibyteSingleLine) {
    const std::string path = put("line.ini", "[s]\nk=" + std::string(10u << 20, '[') + "\n");
    EXPECT_EQ(read(path, "s", "k").size(), 10u << 20);
    EXPECT_EQ(read(path, "s", "j"), "");
}

TEST_F(PosixProfileFilesTest, BinaryBytesAndNuls) {
    std::string noise;
    uint32_t seed = 12345;
    for (int i = 0; i < (1 << 20); ++i) {
        seed = seed * 1664525u + 1013904223u;
        noise.push_back(static_cast<char>(seed >> 24));
    }
    using namespace std::string_literals;
    const std::string text = "[s]\nk=before\0after\nz=\"quoted\"\n"s + noise + "\n[t]\nk=tail\n";
    const std::string path = put("binary.ini", text);
    EXPECT_EQ(read(path, "s", "k"), "before");
    EXPECT_EQ(read(path, "s", "z"), "quoted");
    EXPECT_EQ(read(path, "t", "k"), "tail");
    EXPECT_EQ(read(path, "absent", "k"), "");
}

TEST_F(PosixProfileFilesTest, HundredThousandKeys) {
    std::string text = "[s]\n";
    for (int i = 0; i < 100000; ++i) {
        text += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    }
    const std::string path = put("keys.ini", text);
    EXPECT_EQ(read(path, "s", "key0"), "0");
    EXPECT_EQ(read(path, "s", "KEY99999"), "99999");
    EXPECT_EQ(read(path, "s", "key100000"), "");
}

TEST_F(PosixProfileFilesTest, MebibyteValueReadBackWhole) {
    const std::string value(1u << 20, 'v');
    const std::string path = put("value.ini", "[s]\nk=" + value + "\nj=1\n");
    EXPECT_EQ(read(path, "s", "k"), value);

    const std::string written = (folder_ / "written.ini").string();
    ASSERT_TRUE(profiles_.write(written, "s", "k", value + "w"));
    EXPECT_EQ(read(written, "s", "k"), value + "w");
}

TEST_F(PosixProfileFilesTest, WriteIntoMissingFolderFailsWithoutLeftovers) {
    const std::string path = (folder_ / "absent" / "tool.ini").string();
    EXPECT_FALSE(profiles_.write(path, "s", "k", "v"));
    EXPECT_FALSE(fs::exists(folder_ / "absent"));
}

} // namespace
} // namespace embark::platform::posix
