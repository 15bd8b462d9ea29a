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

struct ProfileFilesTest : ::testing::Test {
    void SetUp() override { ASSERT_NE(::mkdtemp(folder.data()), nullptr); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder = (std::filesystem::temp_directory_path() / "embark-profiles-XXXXXX").string();
    PosixProfileFiles profiles;
};

TEST_F(ProfileFilesTest, FifoReadsAsNoFile) {
    const std::string fifo = folder + "/tool.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto value = std::async(std::launch::async, [&] { return profiles.read(fifo, "S", "K"); });
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

TEST_F(ProfileFilesTest, Utf16WithByteOrderMarkReadsAsUtf8) {
    // A pair of surrogates, then halves of pairs (a low one after a plain character, a high one before a line end).
    const std::u16string text = u"\uFEFF[S]\r\nK=caf\u00e9 \U0001D11Ex" + std::u16string{char16_t(0xDC00), char16_t(0xD800)} + u"\r\n";
    for (bool big_endian : {false, true}) {
        std::string bytes;
        for (char16_t unit : text) {
            bytes += static_cast<char>(big_endian ? unit >> 8 : unit & 0xFF);
            bytes += static_cast<char>(big_endian ? unit & 0xFF : unit >> 8);
        }
        const std::string path = folder + (big_endian ? "/be.ini" : "/le.ini");
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_EQ(profiles.read(path, "S", "K"), "caf\xC3\xA9 \xF0\x9D\x84\x9Ex\xEF\xBF\xBD\xEF\xBF\xBD") << path;
    }
}

} // namespace embark::platform::posix
