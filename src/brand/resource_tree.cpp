#include "brand/resource_tree.h"

#include "brand/binary.h"

#include <vector>

namespace embark::brand {
namespace {

constexpr uint32_t subdirectory_flag = 0x80000000u;
constexpr uint32_t directory_header_size = 16;
constexpr uint32_t entry_size = 8;
constexpr uint32_t data_entry_size = 16;

class DirectoryReader {
public:
    DirectoryReader(const ImageReader& image, uint32_t address) : image_(image), base_(address) {}

    // The entries of the directory at `offset`: key and the offset they point to.
    std::vector<std::pair<ResourceKey, uint32_t>> entries(uint32_t offset, bool want_subdirectories) const {
        BytesView header(image_.at_address(base_ + offset, directory_header_size), "the resource section");
        uint32_t count = uint32_t{header.u16(12)} + header.u16(14);
        BytesView list(image_.at_address(base_ + offset + directory_header_size, count * entry_size),
                       "the resource section");
        std::vector<std::pair<ResourceKey, uint32_t>> found;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t name = list.u32(i * entry_size), target = list.u32(i * entry_size + 4);
            if (((target & subdirectory_flag) != 0) != want_subdirectories) {
                fail("the resource section is damaged: its levels are not type, name and language");
            }
            found.emplace_back(key(name), target & ~subdirectory_flag);
        }
        return found;
    }

    ResourceData data(uint32_t offset) const {
        BytesView entry(image_.at_address(base_ + offset, data_entry_size), "the resource section");
        return {std::string(image_.at_address(entry.u32(0), entry.u32(4))), entry.u32(8)};
    }

private:
    ResourceKey key(uint32_t name) const {
        if ((name & subdirectory_flag) == 0) {
            if (name > 0xFFFF) fail("the resource section is damaged: a resource number beyond 65535");
            return ResourceKey::of(static_cast<uint16_t>(name));
        }
        uint32_t offset = name & ~subdirectory_flag;
        uint16_t length = BytesView(image_.at_address(base_ + offset, 2), "the resource section").u16(0);
        BytesView text(image_.at_address(base_ + offset + 2, uint32_t{length} * 2), "the resource section");
        ResourceKey key{false, 0, {}};
        for (uint32_t i = 0; i < length; ++i) key.text += static_cast<char16_t>(text.u16(i * 2));
        return key;
    }

    const ImageReader& image_;
    uint32_t base_;
};

// Offsets into the section being written, in the order the parts are laid out:
// every directory (breadth first), the texts of the names, the data entries,
// then the data.
struct Layout {
    std::map<const void*, uint32_t> directories;
    std::map<std::u16string, uint32_t> texts;
    uint32_t data_entries = 0;
    uint32_t data = 0;
};

void put_directory_header(std::string& out, size_t named, size_t numbered) {
    put_u32(out, 0); // characteristics
    put_u32(out, 0); // time stamp: none, so that the same input gives the same bytes
    put_u32(out, 0); // version
    put_u16(out, static_cast<uint16_t>(named));
    put_u16(out, static_cast<uint16_t>(numbered));
}

// A directory of subdirectories, each found in the layout by the map it lists.
template <typename Map>
void put_directory(std::string& out, const Map& entries, const Layout& layout) {
    size_t named = 0;
    for (const auto& entry : entries) named += entry.first.is_number ? 0 : 1;
    put_directory_header(out, named, entries.size() - named);
    for (const auto& [key, below] : entries) {
        put_u32(out, key.is_number ? key.number : layout.texts.at(key.text) | subdirectory_flag);
        put_u32(out, layout.directories.at(&below) | subdirectory_flag);
    }
}

} // namespace

ResourceTree read_resource_tree(const ImageReader& image, uint32_t address) {
    DirectoryReader reader(image, address);
    ResourceTree tree;
    // Entries may point at one another's data: bounded, a crafted section cannot
    // make the copy grow without end.
    size_t leaves = 0, bytes = 0;
    for (const auto& [type, type_offset] : reader.entries(0, true)) {
        Names& names = tree[type];
        for (const auto& [name, name_offset] : reader.entries(type_offset, true)) {
            Languages& languages = names[name];
            for (const auto& [language, data_offset] : reader.entries(name_offset, false)) {
                if (!language.is_number)
                    fail("the resource section is damaged: a language that is no number");
                ResourceData& data = languages[language.number] = reader.data(data_offset);
                if (++leaves > 10000 || (bytes += data.bytes.size()) > (64u << 20)) {
                    fail("the resource section is damaged: more resources than an executable holds");
                }
            }
        }
    }
    return tree;
}

std::string write_resource_section(const ResourceTree& tree, uint32_t address) {
    Layout layout;
    uint32_t size = directory_header_size + entry_size * static_cast<uint32_t>(tree.size());
    std::vector<std::u16string> texts;
    uint32_t leaves = 0;
    for (const auto& [type, names] : tree) {
        layout.directories[&names] = size;
        size += directory_header_size + entry_size * static_cast<uint32_t>(names.size());
        if (!type.is_number) texts.push_back(type.text);
    }
    for (const auto& [type, names] : tree) {
        for (const auto& [name, languages] : names) {
            layout.directories[&languages] = size;
            size += directory_header_size + entry_size * static_cast<uint32_t>(languages.size());
            leaves += static_cast<uint32_t>(languages.size());
            if (!name.is_number) texts.push_back(name.text);
        }
    }
    for (const std::u16string& text : texts) {
        if (layout.texts.emplace(text, size).second) size += 2 + 2 * static_cast<uint32_t>(text.size());
    }
    layout.data_entries = static_cast<uint32_t>(align_up(size, 4));
    layout.data = static_cast<uint32_t>(align_up(layout.data_entries + leaves * data_entry_size, 8));

    std::string out;
    uint32_t next_leaf = 0;
    put_directory(out, tree, layout);
    for (const auto& [type, names] : tree) put_directory(out, names, layout);
    for (const auto& [type, names] : tree) {
        for (const auto& [name, languages] : names) {
            put_directory_header(out, 0, languages.size());
            for (const auto& [language, data] : languages) {
                put_u32(out, language);
                put_u32(out, layout.data_entries + data_entry_size * next_leaf++);
            }
        }
    }
    for (const std::u16string& text : texts) {
        if (layout.texts.at(text) != out.size()) continue; // a text named twice is written once
        put_u16(out, static_cast<uint16_t>(text.size()));
        for (char16_t unit : text) put_u16(out, unit);
    }
    pad_to(out, 4);
    uint32_t data_offset = layout.data;
    for (const auto& [type, names] : tree) {
        for (const auto& [name, languages] : names) {
            for (const auto& [language, data] : languages) {
                put_u32(out, address + data_offset);
                put_u32(out, static_cast<uint32_t>(data.bytes.size()));
                put_u32(out, data.code_page);
                put_u32(out, 0);
                data_offset = static_cast<uint32_t>(align_up(data_offset + data.bytes.size(), 8));
            }
        }
    }
    pad_to(out, 8);
    for (const auto& [type, names] : tree) {
        for (const auto& [name, languages] : names) {
            for (const auto& [language, data] : languages) {
                out += data.bytes;
                pad_to(out, 8);
            }
        }
    }
    return out;
}

} // namespace embark::brand
