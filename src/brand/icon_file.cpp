#include "brand/icon_file.h"

#include "brand/binary.h"

#include <set>

namespace embark::brand {
namespace {

constexpr size_t file_header_size = 6, file_entry_size = 16, group_entry_size = 14;

// The icon numbers a group names.
std::set<uint16_t> icons_of_group(const std::string& group) {
    BytesView bytes(group, "the executable's icon group");
    std::set<uint16_t> numbers;
    if (group.empty()) return numbers;
    for (uint16_t i = 0; i < bytes.u16(4); ++i)
        numbers.insert(bytes.u16(file_header_size + group_entry_size * i + 12));
    return numbers;
}

} // namespace

void replace_icon_group(ResourceTree& tree, std::string_view icon_file, const std::string& name) {
    BytesView file(icon_file, name.c_str());
    if (file.size() < file_header_size || file.u16(0) != 0 || file.u16(2) != 1 || file.u16(4) == 0 ||
        !file.holds(file_header_size, file_entry_size * size_t{file.u16(4)})) {
        fail(name + " is not an icon file (.ico)");
    }
    Names& groups = tree[ResourceKey::of(resource_group_icon)];
    Languages& group = groups.empty() ? groups[ResourceKey::of(1)] : groups.begin()->second;
    if (group.empty()) group[0] = {};
    uint16_t language = group.begin()->first;
    Names& icons = tree[ResourceKey::of(resource_icon)];
    for (const auto& [group_language, data] : group) {
        for (uint16_t number : icons_of_group(data.bytes)) icons.erase(ResourceKey::of(number));
    }

    std::string directory;
    put_u16(directory, 0);
    put_u16(directory, 1);
    put_u16(directory, file.u16(4));
    uint16_t number = 1;
    for (uint16_t i = 0; i < file.u16(4); ++i) {
        size_t entry = file_header_size + file_entry_size * i;
        uint32_t size = file.u32(entry + 8), offset = file.u32(entry + 12);
        if (size == 0 || !file.holds(offset, size))
            fail(name + " is not an icon file (.ico): an image lies beyond its end");
        while (icons.contains(ResourceKey::of(number))) ++number; // numbers that other groups use stay theirs
        icons[ResourceKey::of(number)][language].bytes = std::string(file.range(offset, size));
        directory += file.range(entry, 12); // size, colours, planes, bits and bytes, as the file gives them
        put_u16(directory, number++);
    }
    for (auto& [group_language, data] : group) data = {directory, 0};
}

} // namespace embark::brand
