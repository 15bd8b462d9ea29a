// An icon file (.ico) as the launcher's icon group: its images become the
// icons of the group the executable shows, in the order the file lists them.
#pragma once

#include "brand/resource_tree.h"

#include <string>
#include <string_view>

namespace embark::brand {

// Replaces the first icon group (and the icons it names) by the file's images;
// fails with a BrandError naming `name` when the file is no icon file.
void replace_icon_group(ResourceTree& tree, std::string_view icon_file, const std::string& name);

} // namespace embark::brand
