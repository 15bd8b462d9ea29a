// The resources of an executable as the three levels Windows looks them up by
// (type, name, language), read from and written as a resource section.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace embark::brand {

enum : uint16_t {
    resource_icon = 3,
    resource_group_icon = 14,
    resource_version = 16,
    resource_manifest = 24
};

// A type or a name: a number, or a text. Texts sort before numbers, as the
// section must list them for the loader's search.
struct ResourceKey {
    bool is_number = true;
    uint16_t number = 0;
    std::u16string text;

    static ResourceKey of(uint16_t number) { return {true, number, {}}; }
    auto operator<=>(const ResourceKey&) const = default;
};

struct ResourceData {
    std::string bytes;
    uint32_t code_page = 0;
    bool operator==(const ResourceData&) const = default;
};

using Languages = std::map<uint16_t, ResourceData>;
using Names = std::map<ResourceKey, Languages>;
using ResourceTree = std::map<ResourceKey, Names>;

// Maps an address of the image to the bytes it holds (`size` of them), or
// fails as a damaged input.
class ImageReader {
public:
    virtual ~ImageReader() = default;
    virtual std::string_view at_address(uint32_t address, uint32_t size) const = 0;
};

// The tree of the resource directory at `address`.
ResourceTree read_resource_tree(const ImageReader& image, uint32_t address);

// The section's bytes for the tree, when the section starts at `address`.
std::string write_resource_section(const ResourceTree& tree, uint32_t address);

} // namespace embark::brand
