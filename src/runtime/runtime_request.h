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

// "JVM Source" and "VM Provider": which registry keys are searched, and which
// of their runtimes come first.
struct SearchPreferences {
    bool jdk_favoured = false;
    bool jre_favoured = false;
    bool both_kinds_accepted = true;
    bool jrockit_accepted = false;
    bool javasoft_accepted = true;
    bool jrockit_favoured = false;
    bool javasoft_favoured = true;
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
