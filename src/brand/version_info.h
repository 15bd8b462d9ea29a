// The version resource (VS_VERSIONINFO): the fixed file and product version,
// and the texts of its string tables, read, changed and written back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace embark::brand {

// One block: a key, a value (bytes, or UTF-16 text when `is_text`) and the
// blocks inside it.
struct VersionBlock {
    std::u16string key;
    bool is_text = false;
    std::string value;
    std::vector<VersionBlock> children;
};

VersionBlock read_version_info(std::string_view bytes);
// Fails with a BrandError when it would pass the 64 KiB a version resource can hold.
std::string write_version_info(const VersionBlock& root);

// Both fixed versions: the file's and the product's.
void set_fixed_version(VersionBlock& root, const std::array<uint16_t, 4>& version);
// Sets the text of `key` in every string table, adding it where it is missing.
void set_version_text(VersionBlock& root, std::u16string_view key, std::u16string_view text);

// "1.2.3.4", each number at most 65535; false for anything else.
bool parse_four_part_version(std::string_view text, std::array<uint16_t, 4>& version);
// UTF-8 as UTF-16; false for bytes that are no UTF-8.
bool utf8_to_utf16(std::string_view text, std::u16string& out);

} // namespace embark::brand
