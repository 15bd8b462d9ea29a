// A Windows executable (PE32 or PE32+) whose resource section can be replaced:
// every other section keeps its bytes, the sections after the resources (in
// the launcher, the relocations) move behind the new section, and the header's
// sizes, directories and checksum follow.
#pragma once

#include "brand/resource_tree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace embark::brand {

struct Section {
    size_t header_offset; // of its 40-byte header in the file
    uint32_t virtual_size, address, raw_size, raw_offset;
};

class PeImage : public ImageReader {
public:
    // Fails with a BrandError naming `name` when the bytes are no executable
    // whose resources this tool can rewrite.
    PeImage(std::string bytes, const std::string& name);

    ResourceTree resources() const { return read_resource_tree(*this, resource_section().address); }
    // The image with the resources replaced by the tree.
    std::string with_resources(const ResourceTree& tree) const;

    std::string_view at_address(uint32_t address, uint32_t size) const override;

private:
    const Section& resource_section() const { return sections_[resource_index_]; }
    uint32_t directory_address(int index) const;

    std::string bytes_;
    size_t optional_header_ = 0, directories_ = 0;
    uint32_t section_alignment_ = 0, file_alignment_ = 0, directory_count_ = 0;
    std::vector<Section> sections_;
    size_t resource_index_ = 0;
};

// The optional header's checksum of an image, as the loader of drivers and
// system files checks it: the folded sum of its 16-bit words, the checksum
// field counted as zero, plus the file's length.
uint32_t image_checksum(std::string_view image, size_t checksum_offset);

} // namespace embark::brand
