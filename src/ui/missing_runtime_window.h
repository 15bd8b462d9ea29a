// The missing-runtime dialog's window, as the system's window code makes it.
#pragma once

#include <string>

#include "platform/system.h"
#include "runtime/runtime_request.h"
#include "ui/missing_runtime_dialog.h"

namespace embark {

class MissingRuntimeWindows {
public:
    virtual ~MissingRuntimeWindows() = default;
    // False where the system has no windows (POSIX): what the dialog would
    // show is printed instead.
    virtual bool available() const = 0;
    // Shows the dialog modally: dialog_ok with the user's choice filled in,
    // dialog_cancelled, or dialog_failed when it cannot be created.
    virtual int show(platform::System& system, const std::string& message, JvmType jvm_type,
                     RuntimeChoice& choice) = 0;
};

// This build's window code: the Windows dialog, or none.
MissingRuntimeWindows& native_missing_runtime_windows();

} // namespace embark
