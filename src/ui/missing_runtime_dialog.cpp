#include "ui/missing_runtime_dialog.h"

#include "ui/download_address.h"
#include "ui/missing_runtime_window.h"

namespace embark {

int show_missing_runtime_dialog(platform::System& system, MissingRuntimeWindows& windows,
                                const Messages& messages, const std::string& message, JvmType jvm_type,
                                bool attended, RuntimeChoice& choice) {
    // Where nobody can see the dialog, or it cannot be created (no desktop:
    // a remote shell, Server Core), the message is printed instead.
    int result =
        windows.available() && attended ? windows.show(system, message, jvm_type, choice) : dialog_failed;
    if (result == dialog_failed) {
        messages.print_error(message + " " + java_download_address);
    }
    return result;
}

} // namespace embark
