// Numbers of the percentage memory form beyond 32 bits saturate instead of
// wrapping, so an absurd percent stays absurd and the virtual machine refuses it.
#include <gtest/gtest.h>

#include "vm/vm_options.h"

namespace embark {
namespace {

TEST(PercentageSaturationTest, NumbersBeyond32BitsSaturate) {
    constexpr uint32_t largest = 4294967295u;
    const std::pair<const char*, std::vector<uint32_t>> cases[] = {
        {"-Xmx4294967295P", {largest}},
        {"-Xmx4294967297P", {largest}},
        {"-Xmx1:99999999999999999999:2P", {1, largest, 2}},
    };
    for (const auto& [token, numbers] : cases) {
        EXPECT_EQ(read_numbers(token).numbers, numbers) << token;
    }
    // Not 1 percent of 8 GiB (-Xmx83886K); and a size beyond 64 bits stays the largest one.
    EXPECT_EQ(rewrite_percentage_memory_option("-Xmx4294967297P", uint64_t{8} << 30, 0), "-Xmx360287970105753K");
    EXPECT_EQ(rewrite_percentage_memory_option("-Xmx4294967297P", ~uint64_t{0}, 0), "-Xmx18446744073709551615K");
}

} // namespace
} // namespace embark
