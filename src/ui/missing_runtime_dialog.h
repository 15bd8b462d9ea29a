// The dialog that tells the user which runtime is missing and lets them browse
// for one.
#pragma once

#include <string>

#include "core/messages.h"
#include "platform/system.h"
#include "runtime/runtime_request.h"

namespace embark {

constexpr int dialog_ok = 1;
constexpr int dialog_cancelled = 2;
constexpr int dialog_failed = -1;

struct RuntimeChoice {
    std::string runtime_home; // ends in a separator
    std::string vm_library_path;
};

class MissingRuntimeWindows;

// Shows the dialog modally; dialog_ok with the user's choice, anything else
// when it was cancelled, closed or could not be created. Where there are no
// windows, nobody would see one (a service) or it could not be created, the
// message and the download address are printed as an error line.
int show_missing_runtime_dialog(platform::System& system, MissingRuntimeWindows& windows,
                                const Messages& messages, const std::string& message, JvmType jvm_type,
                                bool attended, RuntimeChoice& choice);

} // namespace embark
