// The missing-runtime dialog's window, where the system has windows.
#pragma once

#include <string>

#include "platform/system.h"
#include "runtime/runtime_request.h"
#include "ui/missing_runtime_dialog.h"

namespace embark {

// Shows the dialog modally: dialog_ok with the user's choice filled in,
// dialog_cancelled, or dialog_failed when it cannot be created.
int show_missing_runtime_window(platform::System& system, const std::string& message, JvmType jvm_type,
                                RuntimeChoice& choice);

} // namespace embark
