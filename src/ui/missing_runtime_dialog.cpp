#include "ui/missing_runtime_dialog.h"

namespace embark {

// Seam: the dialog arrives with the user interface. Until then it behaves as a
// dialog that cannot be created.
int show_missing_runtime_dialog(platform::System&, const std::string&, int32_t, RuntimeChoice&) {
    return dialog_failed;
}

} // namespace embark
