#include "ui/missing_runtime_dialog.h"

#include "ui/download_address.h"

namespace embark {

int show_missing_runtime_dialog(platform::System& system, const Messages& messages,
                                const std::string& message, JvmType, RuntimeChoice&) {
    if (!system.has_dialogs) {
        messages.print_error(message + " " + java_download_address);
        return dialog_failed;
    }
    // Seam: the dialog arrives with the user interface. Until then it behaves
    // as a dialog that cannot be created.
    return dialog_failed;
}

} // namespace embark
