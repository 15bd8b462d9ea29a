#include "ui/missing_runtime_dialog.h"

#include "ui/download_address.h"
#include "ui/missing_runtime_window.h"

namespace embark {

int show_missing_runtime_dialog(platform::System& system, MissingRuntimeWindows& windows,
                                const Messages& messages, const std::string& message, JvmType jvm_type,
                                bool attended, RuntimeChoice& choice) {
    if (!windows.available() || !attended) {
        messages.print_error(message + " " + java_download_address);
        return dialog_failed;
    }
    return windows.show(system, message, jvm_type, choice);
}

} // namespace embark
