#include <gtest/gtest.h>

#include "fake_system.h"
#include "launcher/settings.h"

namespace embark {
namespace {

using testing::FakeCodePage;

VersionRecord version(const char* text, int32_t fill = minimum_fill, bool double_byte = false) {
    VersionRecord parsed{{9, 9, 9, 9}, 9};
    const bool digits = parse_version(text, fill, FakeCodePage(double_byte), parsed);
    EXPECT_EQ(digits, parsed.count != 0) << text;
    return parsed;
}

TEST(VersionTest, ParseReadsUpToFourDigitGroupsAndPrintsTheMeaningfulOnes) {
    constexpr int32_t top = maximum_fill, largest = 2147483647;
    struct Case { VersionRecord parsed; std::array<int32_t, 4> components; int32_t count; const char* printed; };
    const Case cases[] = {{version("1.6.0_20"), {1, 6, 0, 20}, 4, "1.6.0.20"},
        {version("jdk1.5.0", top), {1, 5, 0, top}, 3, "1.5"}, {version("9.6.0.20.5"), {9, 6, 0, 20}, 4, "9.6.0.20"},
        {version("2"), {2, 0, 0, 0}, 1, "2.0"}, {version("abc", top), {}, 0, "0.0.0.0"},
        {version("2147483646 2147483648"), {2147483646, largest, 0, 0}, 2, "2147483646.2147483647"},
        {version("1.0.18446744073709551616", top), {1, 0, largest, top}, 3, "1.0.2147483647"},
        {version("65535.65535"), {top, top, 0, 0}, 2, "0.0.0.0"}, // the trail byte 0x31 below is no digit:
        {version("\x82\x31 1.5", 0, true), {1, 5, 0, 0}, 2, "1.5"}, {version("\x82\x31", 0, true), {}, 0, "0.0.0.0"}};
    for (const auto& [parsed, components, count, printed] : cases) {
        EXPECT_EQ(std::to_array(parsed.components), components) << printed;
        EXPECT_EQ(parsed.count, count) << printed;
        EXPECT_EQ(format_version(parsed), printed);
    }
}

TEST(VersionTest, PreferenceRangeAndRequirementLookAtTheComponents) {
    struct Preferred { const char* runtime; const char* wanted; bool matches; };
    const Preferred preferred[] = {{"1.6.1_20", "1.6", true}, {"1.7", "1.6", false}, {"1.60", "1.6", false},
        {"1.6", "1.6.0", true}, {"1.6", "1.6.0_20", false}, {"jre", "", true}, {"1.6", "", false}};
    for (const auto& [runtime, wanted, matches] : preferred) {
        EXPECT_EQ(version_matches_preferred(version(runtime), version(wanted)), matches) << runtime << " " << wanted;
    }
    const FakeCodePage page;
    struct Range { const char* runtime; const char* minimum; const char* maximum; bool within; };
    const Range ranges[] = {{"1.6.0_20", "", "1.6", true}, {"1.7", "", "1.6", false}, {"1.6", "1.6.0_10", "", false},
        {"1.6.0_10", "1.6.0_10", "1.6.0_10", true}, {"99.9", "", "", true}, {"0.0", "any", "1.6", true},
        {"65536", "any", "any", false}};
    for (const auto& [runtime, minimum, maximum, within] : ranges) {
        EXPECT_EQ(version_within_range(version(runtime), minimum_version_from(minimum, page),
                                       maximum_version_from(maximum, page)), within) << runtime << minimum << maximum;
    }
    testing::FakeSystem fake;
    const Messages messages(fake.system);
    EXPECT_EQ(requirement_text(messages, minimum_version_from("1.5", page), maximum_version_from("any", page)),
              "minimum version 1.5");
    EXPECT_EQ(requirement_text(messages, version("1.6.0.0"), version("1.6.0.0")), "version 1.6 is required");
    // A fill the user did not write is not shown; one written is.
    EXPECT_EQ(requirement_text(messages, minimum_version_from("11", page), maximum_version_from("11", page)),
              "version between 11.0 and 11");
    EXPECT_EQ(requirement_text(messages, {}, maximum_version_from("11.65535", page)), "maximum version 11.65535");
}

} // namespace
} // namespace embark
