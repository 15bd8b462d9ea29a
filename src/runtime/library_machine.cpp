#include "runtime/library_machine.h"

namespace embark {

namespace {

uint32_t little_endian(std::string_view bytes, size_t offset, size_t size) {
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

} // namespace

platform::MachineType library_machine(std::string_view start) {
    using Format = platform::MachineType::Format;
    constexpr size_t pe_header_offset = 0x3C;
    constexpr std::string_view pe_signature("PE\0\0", 4);
    if (start.size() >= pe_header_offset + 4 && start.substr(0, 2) == "MZ") {
        uint32_t header = little_endian(start, pe_header_offset, 4);
        if (header <= start.size() - 6 && start.substr(header, 4) == pe_signature) {
            return {Format::pe, static_cast<uint16_t>(little_endian(start, header + 4, 2))};
        }
        return {};
    }
    constexpr size_t elf_machine_offset = 18;
    constexpr char elf_big_endian = 2;
    if (start.size() >= elf_machine_offset + 2 &&
        start.substr(0, 4) ==
            "\x7F"
            "ELF") {
        uint16_t machine = static_cast<uint16_t>(little_endian(start, elf_machine_offset, 2));
        if (start[5] == elf_big_endian) {
            machine = static_cast<uint16_t>(machine >> 8 | machine << 8);
        }
        return {Format::elf, machine};
    }
    return {};
}

} // namespace embark
