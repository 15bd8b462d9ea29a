// Message formatting, the catalogue and the "Error: " line printer.
#include <gtest/gtest.h>

#include <string>

#include "fake_system.h"
#include "launcher/messages.h"

namespace embark {
namespace {

TEST(MessagesFormatTest, FillsPlaceholdersInOrder) {
    EXPECT_EQ(format_message("%s and %s", {"a", "b"}), "a and b");
    EXPECT_EQ(format_message("errno = %d", {5}), "errno = 5");
    EXPECT_EQ(format_message("%d", {-1}), "-1");
    EXPECT_EQ(format_message("%d", {static_cast<unsigned long>(126)}), "126");
    EXPECT_EQ(format_message("%d", {-9223372036854775807LL - 1}), "-9223372036854775808");
    EXPECT_EQ(format_message("%s (errno = %d).", {std::string("path"), 2}), "path (errno = 2).");
    EXPECT_EQ(format_message("no placeholder", {"unused"}), "no placeholder");
}

TEST(MessagesFormatTest, PercentSigns) {
    EXPECT_EQ(format_message("100%%", {}), "100%");
    EXPECT_EQ(format_message("%%s", {"x"}), "%s");
    EXPECT_EQ(format_message("ends in %", {}), "ends in %");
    EXPECT_EQ(format_message("%x%", {}), "%x%");
}

TEST(MessagesFormatTest, ArgumentsAreInsertedNeverReadAsFormat) {
    EXPECT_EQ(format_message("[%s]", {"50%s %d %%"}), "[50%s %d %%]");
    EXPECT_EQ(format_message("%s/%s", {"%s", "b"}), "%s/b");
}

TEST(MessagesFormatTest, MissingArgumentsLeaveThePlaceholderEmpty) {
    EXPECT_EQ(format_message("a%sb%dc", {}), "abc");
    EXPECT_EQ(format_message("%s and %s", {"one"}), "one and ");
}

class MessagesTest : public ::testing::Test {
protected:
    testing::FakeSystem fake;
    Messages messages{fake.system};
};

TEST_F(MessagesTest, LoadReturnsTheCatalogueTextOrNothing) {
    EXPECT_EQ(messages.load(MessageId::no_main_class), "Main class was not specified in INI file.");
    EXPECT_EQ(messages.load(MessageId::reason_invalid), "invalid arguments");
    EXPECT_EQ(messages.load(static_cast<MessageId>(204)), "");
    EXPECT_EQ(messages.load(static_cast<MessageId>(0)), "");
    EXPECT_EQ(messages.load_and_format(MessageId::version_between, {"1.5", "1.6"}),
              "version between 1.5 and 1.6");
}

TEST_F(MessagesTest, ErrorLineHasPrefixAndTrailingBlank) {
    messages.print_error(messages.load(MessageId::no_main_class));
    EXPECT_EQ(fake.output(), "Error: Main class was not specified in INI file. \n");
}

TEST_F(MessagesTest, EachReportIsOneOutputCall) {
    messages.print_error("one");
    messages.print_error("%s", "two");
    messages.print_error("%s %d", "three", 3);
    ASSERT_EQ(fake.console.writes.size(), 3u);
    EXPECT_EQ(fake.console.writes[0], "Error: one \n");
    EXPECT_EQ(fake.console.writes[1], "Error: two \n");
    EXPECT_EQ(fake.console.writes[2], "Error: three 3 \n");
}

TEST_F(MessagesTest, TextEndingInLineFeedGivesALineHoldingOneBlank) {
    messages.print_error(messages.load(MessageId::vm_library_load_failed), "C:\\100%\\jvm.dll", 126);
    EXPECT_EQ(fake.output(), "Error: Failed to load Java VM library: C:\\100%\\jvm.dll (errno = 126).\n \n");
}

TEST_F(MessagesTest, CreationFailureReportWithAndWithoutReason) {
    const std::string format = messages.load(MessageId::jni_exception);
    const std::string what = messages.load(MessageId::create_vm_failed);
    messages.print_error(format, what, messages.load(MessageId::reason_no_memory));
    messages.print_error(format, what, "");
    EXPECT_EQ(fake.console.writes.at(0),
              "Error: JNI exception: failed to create the Java VM\nReason: not enough memory.\n \n");
    EXPECT_EQ(fake.console.writes.at(1),
              "Error: JNI exception: failed to create the Java VM\nReason: .\n \n");
}

} // namespace
} // namespace embark
