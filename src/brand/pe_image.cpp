#include "brand/pe_image.h"

#include "brand/binary.h"

#include <algorithm>

namespace embark::brand {
namespace {

constexpr int resource_directory = 2, certificate_directory = 4, relocation_directory = 5;
// Offsets in the optional header, the same in PE32 and PE32+.
constexpr size_t initialized_data_field = 8, section_alignment_field = 32, file_alignment_field = 36,
                 image_size_field = 56, checksum_field = 64;

} // namespace

PeImage::PeImage(std::string bytes, const std::string& name) : bytes_(std::move(bytes)) {
    BytesView file(bytes_, name.c_str());
    if (file.size() < 0x40 || file.range(0, 2) != "MZ" || !file.holds(file.u32(0x3C), 24) ||
        file.range(file.u32(0x3C), 4) != std::string_view("PE\0\0", 4)) {
        fail(name + " is not a Windows executable");
    }
    size_t header = file.u32(0x3C);
    optional_header_ = header + 24;
    uint16_t magic = file.u16(optional_header_);
    if (magic != 0x10B && magic != 0x20B)
        fail(name + " is not a Windows executable: unknown optional header");
    bool plus = magic == 0x20B;
    directory_count_ = file.u32(optional_header_ + (plus ? 108 : 92));
    directories_ = optional_header_ + (plus ? 112 : 96);
    section_alignment_ = file.u32(optional_header_ + section_alignment_field);
    file_alignment_ = file.u32(optional_header_ + file_alignment_field);
    if (section_alignment_ == 0 || file_alignment_ == 0 || directory_count_ <= relocation_directory) {
        fail(name + " is damaged: its optional header is incomplete");
    }
    size_t table = optional_header_ + file.u16(header + 20);
    uint16_t count = file.u16(header + 6);
    uint32_t file_end = 0;
    for (uint16_t i = 0; i < count; ++i) {
        size_t at = table + 40 * size_t{i};
        Section section{at, file.u32(at + 8), file.u32(at + 12), file.u32(at + 16), file.u32(at + 20)};
        file.range(section.raw_offset, section.raw_size);
        if (!sections_.empty() &&
            (section.address < uint64_t{sections_.back().address} + sections_.back().virtual_size ||
             (section.raw_size != 0 && section.raw_offset < file_end))) {
            fail(name + ": its sections are not in the order of their addresses");
        }
        if (section.raw_size != 0) file_end = section.raw_offset + section.raw_size;
        sections_.push_back(section);
    }
    uint32_t resources = directory_address(resource_directory);
    resource_index_ = sections_.size();
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].address == resources && resources != 0) resource_index_ = i;
    }
    if (resource_index_ == sections_.size()) fail(name + " has no resource section of its own");
    if (directory_address(certificate_directory) != 0) {
        fail(name + " is signed: brand the launcher first, then sign what comes out");
    }
    if (file_end != file.size()) fail(name + " has data after its last section, which branding would lose");
    for (size_t i = resource_index_ + 1; i < sections_.size(); ++i) {
        if (sections_[i].address != directory_address(relocation_directory)) {
            fail(name + ": a section other than the relocations follows the resources; it cannot be moved");
        }
    }
}

uint32_t PeImage::directory_address(int index) const {
    return BytesView(bytes_, "the executable").u32(directories_ + 8 * size_t(index));
}

std::string_view PeImage::at_address(uint32_t address, uint32_t size) const {
    for (const Section& section : sections_) {
        uint32_t stored = std::min(section.virtual_size, section.raw_size);
        if (address >= section.address && address - section.address < stored) {
            if (size > stored - (address - section.address)) break;
            return std::string_view(bytes_).substr(section.raw_offset + (address - section.address), size);
        }
    }
    fail("the resource section is damaged: it points outside the image's data");
}

std::string PeImage::with_resources(const ResourceTree& tree) const {
    const Section& old = resource_section();
    std::string section = write_resource_section(tree, old.address);
    uint32_t raw_size = static_cast<uint32_t>(align_up(section.size(), file_alignment_));
    std::string out = bytes_.substr(0, old.raw_offset) + section;
    out.resize(old.raw_offset + raw_size, '\0');
    set_u32(out, old.header_offset + 8, static_cast<uint32_t>(section.size()));
    set_u32(out, old.header_offset + 16, raw_size);
    set_u32(out, directories_ + 8 * resource_directory + 4, static_cast<uint32_t>(section.size()));

    // The sections behind move by whole alignments; relocation data names pages
    // of the other sections, never its own, so moving it changes none of it.
    uint32_t next_address = static_cast<uint32_t>(align_up(old.address + section.size(), section_alignment_));
    uint32_t image_end = next_address;
    for (size_t i = resource_index_ + 1; i < sections_.size(); ++i) {
        const Section& moved = sections_[i];
        uint32_t address = moved.address - sections_[resource_index_ + 1].address + next_address;
        set_u32(out, moved.header_offset + 12, address);
        set_u32(out, directories_ + 8 * relocation_directory, address);
        if (moved.raw_size != 0) {
            set_u32(out, moved.header_offset + 20, static_cast<uint32_t>(out.size()));
            out.append(bytes_, moved.raw_offset, moved.raw_size);
        }
        image_end = static_cast<uint32_t>(align_up(address + moved.virtual_size, section_alignment_));
    }
    BytesView header(out, "the executable");
    set_u32(out, optional_header_ + image_size_field, image_end);
    set_u32(out, optional_header_ + initialized_data_field,
            header.u32(optional_header_ + initialized_data_field) - old.raw_size + raw_size);
    set_u32(out, optional_header_ + checksum_field, image_checksum(out, optional_header_ + checksum_field));
    return out;
}

uint32_t image_checksum(std::string_view image, size_t checksum_offset) {
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == checksum_offset || i == checksum_offset + 2) continue;
        uint32_t word = static_cast<unsigned char>(image[i]);
        if (i + 1 < image.size()) word |= uint32_t{static_cast<unsigned char>(image[i + 1])} << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

} // namespace embark::brand
