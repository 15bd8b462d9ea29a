// Version records: the minimum, maximum and preferred versions from the
// settings and the versions that installed runtimes name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "platform/system.h"

namespace embark {

struct VersionRecord {
    int32_t components[4] = {0, 0, 0, 0};
    int32_t count = 0; // digit groups read, 0 to 4
};

constexpr int32_t minimum_fill = 0;
constexpr int32_t maximum_fill = 65535;

// Reads up to four digit groups; whatever lies between groups separates them.
// Positions the text does not name take the fill value. A text without a digit
// gives the all-zero record with count 0 and false. A digit group too large
// for a signed 32-bit component saturates at 2147483647.
bool parse_version(std::string_view text, int32_t fill, const platform::CodePage& code_page,
                   VersionRecord& version);

// -1, 0 or +1 over the four components; the count takes no part.
int compare_versions(const VersionRecord& a, const VersionRecord& b);
bool versions_equal(const VersionRecord& a, const VersionRecord& b);
// A preferred 1.6 (count 2) matches 1.6, 1.6.0 and 1.6.0_20, not 1.7.
bool version_matches_preferred(const VersionRecord& runtime, const VersionRecord& preferred);
// An all-zero maximum sets no upper bound.
bool version_within_range(const VersionRecord& version, const VersionRecord& minimum,
                          const VersionRecord& maximum);
// All four components 0, or all four 65535.
bool version_is_unset(const VersionRecord& version);
// At least two components (unless the second is an unwritten 65535 fill),
// up to the last that is neither 0 nor 65535: 1.6, 1.6.0.20, 11 for a maximum of 11.
std::string format_version(const VersionRecord& version);
// "latest version", "minimum version 1.5", "version between 1.5 and 1.6" ...
std::string requirement_text(const Messages& messages, const VersionRecord& minimum,
                             const VersionRecord& maximum);

} // namespace embark
