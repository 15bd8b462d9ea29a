#include "ui/missing_runtime_window.h"

namespace embark {

// There are no windows here: a dialog can never be created.
int show_missing_runtime_window(platform::System&, const std::string&, JvmType, RuntimeChoice&) {
    return dialog_failed;
}

} // namespace embark
