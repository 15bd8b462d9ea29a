#include "ui/missing_runtime_dialog.h"

#include "ui/download_address.h"
#include "ui/missing_runtime_window.h"

namespace embark {

int show_missing_runtime_dialog(platform::System& system, const Messages& messages, const std::string& message,
                                JvmType jvm_type, bool attended, RuntimeChoice& choice) {
    if (!system.has_dialogs || !attended) {
        messages.print_error(message + " " + java_download_address);
        return dialog_failed;
    }
    return show_missing_runtime_window(system, message, jvm_type, choice);
}

} // namespace embark
