#include <gtest/gtest.h>

#include "runtime/library_machine.h"

namespace embark {

TEST(LibraryMachineTest, PeAndElfHeadersNameTheMachineAndAnythingElseNone) {
    using F = platform::MachineType::Format;
    // MZ, the PE header's offset 0x40 at 0x3C, "PE\0\0" there and the machine word (x64, x86); an x86-64 ELF header.
    const std::string pe = "MZ" + std::string(0x3A, '\0') + "@" + std::string(3, '\0') + std::string("PE\0\0", 4),
                      x86 = pe + "L" + '\1', elf = "\x7F" "ELF\2\1\1" + std::string(11, '\0') + ">";
    const std::pair<std::string, platform::MachineType> cases[] = {{pe + "\x64\x86", {F::pe, 0x8664}},
        {x86, {F::pe, 0x14C}}, {pe + "L", {}}, {"ZM" + x86.substr(2), {}}, {elf + '\0', {F::elf, 62}},
        {elf, {}}, // cut off, not MZ, cut off; the least header: 64 bytes, "PE" right after "MZ"
        {"MZPE" + std::string(2, '\0') + "\x64\x86" + std::string(0x34, '\0') + '\2' + std::string(3, '\0'), {F::pe, 0x8664}}};
    for (const auto& [start, machine] : cases) {
        EXPECT_TRUE(library_machine(start) == machine) << ::testing::PrintToString(start);
    }
}

} // namespace embark
