// Version texts: parsing, printing, the requirement text and the message shown
// when no runtime fits.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fake_system.h"
#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "launcher/settings.h"
#include "runtime/version.h"

namespace embark {
namespace {

using Components = std::array<int32_t, 4>;

Components components_of(const VersionRecord& version) {
    return {version.components[0], version.components[1], version.components[2],
            version.components[3]};
}

VersionRecord record(Components components, int32_t count = 4) {
    return VersionRecord{{components[0], components[1], components[2], components[3]}, count};
}

struct ParseCase {
    std::string text;
    int32_t fill;
    bool ok;
    Components components;
    int32_t count;
    bool double_byte = false;
};

TEST(VersionParseTest, Table) {
    constexpr int32_t top = maximum_fill;
    constexpr int32_t largest = 2147483647;
    const ParseCase cases[] = {
        {"1.6.0_20", 0, true, {1, 6, 0, 20}, 4},
        {"1.6", 0, true, {1, 6, 0, 0}, 2},
        {"1.6", top, true, {1, 6, top, top}, 2},
        {"10", top, true, {10, top, top, top}, 1},
        {"jdk1.5.0", 0, true, {1, 5, 0, 0}, 3},
        {"jdk1.5.0", top, true, {1, 5, 0, top}, 3},
        {"1.6.0.20.5", 0, true, {1, 6, 0, 20}, 4},
        {" 1 . 6 ", top, true, {1, 6, top, top}, 2},
        {"1..6", top, true, {1, 6, top, top}, 2},
        {"1-2_3 x4", 0, true, {1, 2, 3, 4}, 4},
        {"007.08", 0, true, {7, 8, 0, 0}, 2},
        {"", top, false, {0, 0, 0, 0}, 0},
        {"abc", top, false, {0, 0, 0, 0}, 0},
        {"Any", 0, false, {0, 0, 0, 0}, 0},
        {"2147483647", 0, true, {largest, 0, 0, 0}, 1},
        {"2147483648", 0, true, {largest, 0, 0, 0}, 1},
        {"99999999999999999999999.5", 0, true, {largest, 5, 0, 0}, 2},
        {"12345678901234567890", top, true, {largest, top, top, top}, 1},
        {"1.18446744073709551616", 0, true, {1, largest, 0, 0}, 2},
        // The trail byte 0x31 of a double-byte character is no digit.
        {"\x82\x31 1.5", 0, true, {1, 5, 0, 0}, 2, true},
        {"\x82\x31 1.5", 0, true, {1, 1, 5, 0}, 3, false},
        {"\x82\x31", 0, false, {0, 0, 0, 0}, 0, true},
    };
    for (const ParseCase& c : cases) {
        testing::FakeCodePage code_page;
        if (c.double_byte) {
            code_page.use_shift_jis();
        }
        VersionRecord version{{9, 9, 9, 9}, 9};
        EXPECT_EQ(parse_version(c.text, c.fill, code_page, version), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(components_of(version), c.components) << '"' << c.text << '"';
        EXPECT_EQ(version.count, c.count) << '"' << c.text << '"';
    }
}

TEST(VersionFormatTest, PrintsAtLeastTwoComponentsUpToTheLastMeaningfulOne) {
    const std::pair<Components, const char*> cases[] = {
        {{1, 6, 0, 0}, "1.6"},         {{1, 6, 0, 20}, "1.6.0.20"},
        {{1, 5, 65535, 65535}, "1.5"}, {{2, 0, 0, 0}, "2.0"},
        {{1, 0, 3, 0}, "1.0.3"},       {{0, 0, 0, 0}, "0.0.0.0"},
        {{65535, 65535, 65535, 65535}, "0.0.0.0"}, {{0, 0, 0, 7}, "0.0.0.7"},
        {{1, 6, 0, 65535}, "1.6"},
    };
    for (const auto& [components, expected] : cases) {
        EXPECT_EQ(format_version(record(components)), expected);
    }
}

// Runtime versions as the registry names them and the settings' bounds, each
// parsed as the launcher parses it.
class VersionRulesTest : public ::testing::Test {
protected:
    VersionRecord runtime(const char* name) {
        VersionRecord version;
        parse_version(name, minimum_fill, code_page, version);
        return version;
    }

    testing::FakeCodePage code_page;
};

TEST_F(VersionRulesTest, CompareAndEqualIgnoreTheCount) {
    struct Case {
        VersionRecord a, b;
        int order;
    };
    const Case cases[] = {
        {runtime("1.6"), runtime("1.6.0"), 0},
        {runtime("1.6.0_20"), runtime("1.6"), 1},
        {runtime("1.5.0_22"), runtime("1.6"), -1},
        {runtime("1.10"), runtime("1.9.9_99"), 1},
        {runtime("2"), runtime("1.99"), 1},
        {runtime("abc"), runtime("0.0.0.0"), 0},
        {runtime("99999999999"), runtime("65535.65535"), 1},
    };
    for (const Case& c : cases) {
        const std::string label = format_version(c.a) + " vs " + format_version(c.b);
        EXPECT_EQ(compare_versions(c.a, c.b), c.order) << label;
        EXPECT_EQ(compare_versions(c.b, c.a), -c.order) << label;
        EXPECT_EQ(versions_equal(c.a, c.b), c.order == 0) << label;
    }
}

TEST_F(VersionRulesTest, MatchesPreferred) {
    struct Case {
        const char* runtime;
        const char* preferred;
        bool matches;
    };
    const Case cases[] = {
        {"1.6", "1.6", true},
        {"1.6.0", "1.6", true},
        {"1.6.0_20", "1.6", true},
        {"1.7", "1.6", false},
        {"1.60", "1.6", false},
        {"16", "1", false},
        {"1.6", "1.6.0", true}, // equal records, although the preferred count is larger
        {"1.6", "1.6.0_20", false},
        {"1.6.0_21", "1.6.0_20", false},
        {"1.6.0.20", "1.6.0_20", true},
        {"jre", "", true}, // a digit-free piece matches only an all-zero runtime
        {"0.0", "none", true},
        {"1.6", "", false},
        {"0.0.0_1", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(version_matches_preferred(runtime(c.runtime), runtime(c.preferred)), c.matches)
            << "runtime " << c.runtime << ", preferred '" << c.preferred << "'";
    }
}

TEST_F(VersionRulesTest, WithinRangeOfTheSettings) {
    struct Case {
        const char* runtime;
        const char* minimum;
        const char* maximum;
        bool within;
    };
    const Case cases[] = {
        {"1.6.0_20", "", "1.6", true},
        {"1.7", "", "1.6", false},
        {"1.6.0_20", "", "1.6.0", true},
        {"1.6.1", "", "1.6.0", false},
        {"1.6", "1.6.0_10", "", false},
        {"1.6.0_10", "1.6.0_10", "", true},
        {"1.6.0_10", "1.6.0_10", "1.6.0_10", true},
        {"1.6.0_11", "1.6.0_10", "1.6.0_10", false},
        {"99.9", "", "", true},
        {"jre", "", "", true},
        {"jre", "1", "", false},
        {"jre", "any", "1.6", true},
        {"65534.9", "any", "any", true},
        {"65536", "any", "any", false},
        {"1.5.0_22", "1.5", "1.6", true},
        {"1.4.2", "1.5", "1.6", false},
        {"1.7.0", "", "no digits", true}, // an all-zero maximum sets no bound
    };
    for (const Case& c : cases) {
        EXPECT_EQ(version_within_range(runtime(c.runtime), minimum_version_from(c.minimum, code_page),
                                       maximum_version_from(c.maximum, code_page)),
                  c.within)
            << c.runtime << " in [" << c.minimum << ", " << c.maximum << "]";
    }
}

class VersionMessagesTest : public ::testing::Test {
protected:
    std::string requirement(const char* minimum, const char* maximum) {
        return requirement_text(messages, minimum_version_from(minimum, fake.code_page),
                                maximum_version_from(maximum, fake.code_page));
    }

    testing::FakeSystem fake;
    Messages messages{fake.system};
};

TEST_F(VersionMessagesTest, RequirementTextFromTheSettings) {
    struct Case {
        const char* minimum;
        const char* maximum;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", "latest version"},
        {"any", "any", "latest version"},
        {"", "1.6", "maximum version 1.6"},
        {"1.5", "", "minimum version 1.5"},
        {"1.5", "any", "minimum version 1.5"},
        {"1.6.0.0", "1.6.0.0", "version 1.6 is required"},
        {"1.6", "1.6", "version between 1.6 and 1.6"},
        {"1.5", "1.7.0_10", "version between 1.5 and 1.7.0.10"},
        {"any", "1.6", "maximum version 1.6"},
        {"Any", "ANY", "latest version"}, // "any" is matched exactly; no digits read as unset
        {"1.6.0.0", "1.6.0.0.0", "version 1.6 is required"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(requirement(c.minimum, c.maximum), c.expected)
            << "minimum '" << c.minimum << "', maximum '" << c.maximum << "'";
    }
}

TEST_F(VersionMessagesTest, MissingRuntimeMessageNamesTheServerVmOnlyForServerType) {
    const VersionRecord unset;
    EXPECT_EQ(missing_runtime_message(messages, jvm_type_server, unset, unset),
              "The Java Runtime Environment (JRE) was not found. Please  download and install a "
              "JRE with a server JVM (latest version) from:");
    const std::string plain =
        "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
        "(minimum version 1.5) from:";
    const VersionRecord minimum = minimum_version_from("1.5", fake.code_page);
    EXPECT_EQ(missing_runtime_message(messages, jvm_type_any, minimum, unset), plain);
    EXPECT_EQ(missing_runtime_message(messages, jvm_type_favor_server, minimum, unset), plain);
}

} // namespace
} // namespace embark
