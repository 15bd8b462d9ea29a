// The files the Linux platform layer reads: the settings reader reads only
// regular files, and UTF-16 files with a byte-order mark (Notepad's "Unicode")
// as UTF-8; the installed runtimes are the folders whose release file names a
// version.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "platform/posix/posix_system.h"

namespace embark::platform::posix {
namespace {

class SettingsFileKindsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(::mkdtemp(folder_.data()), nullptr); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string folder_ = (std::filesystem::temp_directory_path() / "embark-kinds-XXXXXX").string();
    PosixProfileFiles profiles_;
};

TEST_F(SettingsFileKindsTest, FifoReadsAsNoFile) {
    const std::string fifo = folder_ + "/tool.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto value = std::async(std::launch::async, [&] { return profiles_.read(fifo, "S", "K"); });
    // A reader that opened the FIFO would wait for a writer: it gets one that
    // never waits itself (it only gets in while a reader holds the FIFO open).
    while (value.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0) {
            EXPECT_EQ(::write(writer, "[S]\nK=V\n", 8), 8);
            ::close(writer);
        }
    }
    EXPECT_EQ(value.get(), "");
}

TEST_F(SettingsFileKindsTest, Utf16WithByteOrderMarkReadsAsUtf8) {
    const std::u16string text = u"\uFEFF[S]\r\nK=caf\u00e9 \U0001D11E\r\n"; // a pair of surrogates at the end
    for (bool big_endian : {false, true}) {
        std::string bytes;
        for (char16_t unit : text) {
            bytes += static_cast<char>(big_endian ? unit >> 8 : unit & 0xFF);
            bytes += static_cast<char>(big_endian ? unit & 0xFF : unit >> 8);
        }
        const std::string path = folder_ + (big_endian ? "/be.ini" : "/le.ini");
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_EQ(profiles_.read(path, "S", "K"), "caf\xC3\xA9 \xF0\x9D\x84\x9E") << path;
    }
}

TEST_F(SettingsFileKindsTest, InstalledRuntimesAreFoldersNamedByTheirReleaseFile) {
    namespace fs = std::filesystem;
    const std::pair<const char*, const char*> folders[] = { // name, release file; a '+' name holds a VM library
        {"a+", "IMPLEMENTOR=x\nJAVA_VERSION=\"17.0.2\"\r\n"}, {"b", "JAVA_VERSION=11\n"}, {"c+", "JAVA_VERSION=11"},
        {"d+", "JAVA_VERSION=\"none\"\n"}, {"e+", "JAVA_VERSION=\"\"\n"}, {"f+", ""}};
    for (const auto& [name, release] : folders) {
        fs::create_directories(folder_ + "/" + name + "/lib/server");
        std::ofstream(folder_ + "/" + name + "/release") << release;
        if (std::string(name).back() == '+') std::ofstream(folder_ + "/" + name + "/lib/server/libjvm.so");
    }
    fs::create_directory_symlink(folder_ + "/a+", folder_ + "/link");
    std::ofstream(folder_ + "/file") << "JAVA_VERSION=9";
    PosixRegistry registry(folder_);
    const std::string key = "Software\\JavaSoft\\Java Runtime Environment";
    std::string names, name, home;
    auto list = registry.open_local_machine(key);
    for (uint32_t i = 0; list->subkey_name(i, name); ++i) names += name + ";";
    ASSERT_EQ(names, "17.0.2;11;"); // one entry per version, in folder order
    ASSERT_TRUE(registry.open_local_machine(key + "\\11")->value("JavaHome", home));
    EXPECT_EQ(home, folder_ + "/c+" + std::string(1, '\0')); // the folder of that version that holds a library
    EXPECT_FALSE(registry.open_local_machine(key + "\\9") || registry.open_local_machine(key + "X"));
}

} // namespace
} // namespace embark::platform::posix
