#include "brand/version_info.h"

#include "brand/binary.h"

namespace embark::brand {
namespace {

constexpr size_t fixed_info_size = 52;
constexpr uint32_t fixed_info_signature = 0xFEEF04BD;

VersionBlock read_block(const BytesView& bytes, size_t start, int depth) {
    size_t length = bytes.u16(start), value_length = bytes.u16(start + 2);
    if (length < 6 || !bytes.holds(start, length) || depth > 4) fail("the version resource is damaged");
    BytesView block(bytes.range(start, length), "the version resource");
    VersionBlock read;
    read.is_text = block.u16(4) == 1;
    size_t at = 6;
    for (uint16_t unit; (unit = block.u16(at)) != 0; at += 2) read.key += static_cast<char16_t>(unit);
    at = align_up(at + 2, 4);
    // A text's length counts UTF-16 units; a trailing zero, if any, is not kept.
    size_t value_size = read.is_text ? 2 * value_length : value_length;
    if (value_size != 0) read.value = std::string(block.range(at, value_size));
    if (read.is_text) {
        while (read.value.size() >= 2 && read.value.ends_with(std::string_view("\0\0", 2)))
            read.value.resize(read.value.size() - 2);
    }
    for (at = align_up(at + value_size, 4); at + 6 <= length; at = align_up(at + block.u16(at), 4)) {
        read.children.push_back(read_block(block, at, depth + 1));
    }
    return read;
}

void write_block(std::string& out, const VersionBlock& block) {
    pad_to(out, 4);
    size_t start = out.size();
    put_u16(out, 0); // the length, set below
    // A text is written with its terminating zero, which its length counts; a
    // block of blocks (the string tables) has no value.
    bool text_value = block.is_text && block.children.empty();
    put_u16(out, static_cast<uint16_t>(text_value ? block.value.size() / 2 + 1 : block.value.size()));
    put_u16(out, block.is_text ? 1 : 0);
    for (char16_t unit : block.key) put_u16(out, unit);
    put_u16(out, 0);
    pad_to(out, 4);
    out += block.value;
    if (text_value) put_u16(out, 0);
    for (const VersionBlock& child : block.children) write_block(out, child);
    if (out.size() - start > 0xFFFF) fail("the texts are too long: a version resource holds at most 64 KiB");
    set_u16(out, start, static_cast<uint16_t>(out.size() - start));
}

} // namespace

VersionBlock read_version_info(std::string_view bytes) {
    VersionBlock root = read_block(BytesView(bytes, "the version resource"), 0, 0);
    if (root.value.size() < fixed_info_size || BytesView(root.value, "").u32(0) != fixed_info_signature) {
        fail("the version resource is damaged: no fixed version");
    }
    return root;
}

std::string write_version_info(const VersionBlock& root) {
    std::string out;
    write_block(out, root);
    return out;
}

void set_fixed_version(VersionBlock& root, const std::array<uint16_t, 4>& version) {
    for (size_t field : {8, 16}) { // the file's version, then the product's
        set_u32(root.value, field, uint32_t{version[0]} << 16 | version[1]);
        set_u32(root.value, field + 4, uint32_t{version[2]} << 16 | version[3]);
    }
}

void set_version_text(VersionBlock& root, std::u16string_view key, std::u16string_view text) {
    std::string value;
    for (char16_t unit : text) put_u16(value, unit);
    for (VersionBlock& file_info : root.children) {
        if (file_info.key != u"StringFileInfo") continue;
        for (VersionBlock& table : file_info.children) {
            VersionBlock* entry = nullptr;
            for (VersionBlock& candidate : table.children) {
                if (candidate.key == key) entry = &candidate;
            }
            if (entry == nullptr)
                entry = &table.children.emplace_back(VersionBlock{std::u16string(key), true, {}, {}});
            entry->value = value;
        }
    }
}

bool parse_four_part_version(std::string_view text, std::array<uint16_t, 4>& version) {
    size_t part = 0, digits = 0;
    uint32_t value = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part == 4) return false;
            version[part++] = static_cast<uint16_t>(value);
            value = 0, digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9' && ++digits <= 5) {
            value = value * 10 + static_cast<uint32_t>(text[i] - '0');
            if (value > 0xFFFF) return false;
        } else {
            return false;
        }
    }
    return part == 4;
}

bool utf8_to_utf16(std::string_view text, std::u16string& out) {
    out.clear();
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6    ? 2
            : (lead >> 4) == 0xE    ? 3
            : (lead >> 3) == 0x1E   ? 4
                                    : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = point << 6 | (next & 0x3F);
        }
        static constexpr uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        if (point >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
        i += length;
    }
    return true;
}

} // namespace embark::brand
