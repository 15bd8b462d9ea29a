// What a start asks of the Java runtime: the kind of virtual machine, the
// version range, the preferred versions and the kinds and vendors searched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/messages.h"
#include "runtime/version.h"

namespace embark {

// "JVM Type": which virtual machine library a runtime folder must hold.
enum class JvmType : int32_t {
    any = 0,
    server = 1, // a server VM is required
    favor_server = 2, // a server VM is probed first
};

enum class RuntimeKind : uint8_t { development_kit, runtime_environment };
// The vendors "VM Provider" tells apart: JRockit, and the Sun/Oracle line
// that every current distribution continues.
enum class VendorFamily : uint8_t { javasoft, jrockit };

// "JVM Source" and "VM Provider": which installed runtimes are searched, and
// which of them come first. Indexed by RuntimeKind and VendorFamily.
struct SearchPreferences {
    bool both_kinds_accepted = true;
    bool kind_favoured[2] = {false, false};
    bool vendor_accepted[2] = {true, false};
    bool vendor_favoured[2] = {true, false};

    bool searches(RuntimeKind kind) const {
        return both_kinds_accepted || kind_favoured[static_cast<int>(kind)];
    }
    bool searches(VendorFamily vendor) const {
        return vendor_accepted[static_cast<int>(vendor)] || vendor_favoured[static_cast<int>(vendor)];
    }
    bool favours(RuntimeKind kind, VendorFamily vendor) const {
        return kind_favoured[static_cast<int>(kind)] && vendor_favoured[static_cast<int>(vendor)];
    }
};

struct RuntimeRequest {
    JvmType jvm_type = JvmType::any;
    VersionRecord minimum_version;
    VersionRecord maximum_version;
    std::vector<std::string> preferred_versions;
    SearchPreferences preferences;
};

// The text above the download link when no runtime fits the request.
std::string missing_runtime_message(const Messages& messages, const RuntimeRequest& request);

} // namespace embark
