#include "ui/missing_runtime_window.h"

namespace embark {

namespace {

// There are no windows here: a dialog can never be created.
class NoWindows final : public MissingRuntimeWindows {
public:
    bool available() const override { return false; }
    int show(platform::System&, const std::string&, JvmType, RuntimeChoice&) override {
        return dialog_failed;
    }
};

} // namespace

MissingRuntimeWindows& native_missing_runtime_windows() {
    static NoWindows windows;
    return windows;
}

} // namespace embark
