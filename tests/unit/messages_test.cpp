#include <gtest/gtest.h>

#include "core/messages.h"
#include "fake_system.h"

namespace embark {

TEST(MessagesTest, FormatFillsPlaceholdersInOrderAndErrorsAreOneWriteEach) {
    EXPECT_EQ(format_message("%s and %s", {"a", std::string("b")}), "a and b");
    EXPECT_EQ(format_message("%d %d %s|%d", {-1, -9223372036854775807LL - 1, 7, "x"}), "-1 -9223372036854775808 7|");
    EXPECT_EQ(format_message("100%% %%s %x%", {"unused"}), "100% %s %x%");
    EXPECT_EQ(format_message(std::string_view("ends in %s", 9), {"x"}), "ends in %");
    EXPECT_EQ(format_message("[%s]%s", {"50%s %d %%"}), "[50%s %d %%]"); // inserted, never read as a format
    testing::FakeSystem fake;
    const Messages messages(fake.system);
    messages.print_error(messages.load(MessageId::jni_exception), messages.load(MessageId::create_vm_failed), "");
    EXPECT_EQ(fake.output, "Error: JNI exception: failed to create the Java VM\nReason: .\n \n");
    EXPECT_EQ(fake.writes, 1);
    // Trace lines cut long texts in the middle, never inside a double-byte character.
    const std::string a(94, 'a'), b(100, 'b');
    EXPECT_EQ(shortened(a + "cc" + b, fake.code_page), a + "c ... " + b.substr(40));
    EXPECT_EQ(shortened(a + "\x83\x41" + b, testing::FakeCodePage(true)), a + "\x83\x41 ... " + b.substr(40));
    EXPECT_EQ(shortened(a + b.substr(34), fake.code_page), a + b.substr(34));
}

} // namespace embark
