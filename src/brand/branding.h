// What embark-brand is asked to do, read from its command line, and the
// branded image made from the launcher's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace embark::brand {

struct BrandRequest {
    std::string input, output;
    std::optional<std::string> icon;
    std::optional<std::array<uint16_t, 4>> version;
    std::vector<std::pair<std::u16string, std::u16string>> texts; // version strings: key, value
    bool utf8 = false;
    bool require_admin = false;
    bool help = false;
};

extern const char brand_usage[];

// The request of the arguments after the program's name; fails with a
// BrandError on anything it cannot read.
BrandRequest parse_brand_arguments(const std::vector<std::string>& arguments);

// The launcher's image with the request's resources; `icon_file` holds the
// icon file's bytes when the request names one.
std::string brand_image(const BrandRequest& request, std::string image, const std::string& icon_file);

} // namespace embark::brand
