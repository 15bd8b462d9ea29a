#include "ui/missing_runtime_window.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

#include "core/messages.h"
#include "platform/unique_resource.h"
#include "runtime/probing.h"
#include "ui/dialog_resources.h"
#include "ui/win32/hyperlink.h"

namespace embark {

namespace {

// The folder picker's item list, which the shell allocates with the COM task allocator.
struct ItemListTraits {
    static LPITEMIDLIST invalid() { return nullptr; }
    static bool is_valid(LPITEMIDLIST item) { return item != nullptr; }
    static bool close(LPITEMIDLIST item) { return ::CoTaskMemFree(item), true; }
};

// The folder browser's new style needs COM on the calling thread, for as long
// as it is shown.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// Over the owner when it is showing, else over the desktop's work area, and
// always inside the work area.
void centre(HWND dialog) {
    HWND reference = ::GetWindow(dialog, GW_OWNER);
    if (reference != nullptr && (!::IsWindowVisible(reference) || ::IsIconic(reference))) {
        reference = nullptr;
    }
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT around = work;
    if (reference != nullptr) {
        ::GetWindowRect(reference, &around);
    }
    RECT own;
    ::GetWindowRect(dialog, &own);
    auto place = [](LONG centre, LONG size, LONG low, LONG high) {
        LONG edge = centre - size / 2;
        if (edge < low) {
            return low;
        }
        return edge + size > high ? high - size : edge;
    };
    LONG left = place((around.left + around.right) / 2, own.right - own.left, work.left, work.right);
    LONG top = place((around.top + around.bottom) / 2, own.bottom - own.top, work.top, work.bottom);
    ::SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class MissingRuntimeDialog {
public:
    MissingRuntimeDialog(platform::System& system, const std::string& message, JvmType jvm_type,
                         RuntimeChoice& choice)
        : system_(system), message_(message), jvm_type_(jvm_type), choice_(choice) {}

    int show(HWND owner) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&classes);
        // The template is created with a parameter of 0: the object is found
        // through this pointer by the first message the dialog gets.
        being_created_ = this;
        auto result =
            ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(EMBARK_DIALOG_MISSING_RUNTIME),
                              owner, &MissingRuntimeDialog::procedure, 0);
        being_created_ = nullptr;
        return static_cast<int>(result);
    }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM) {
        auto* dialog = reinterpret_cast<MissingRuntimeDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
        if (dialog == nullptr && being_created_ != nullptr) {
            dialog = std::exchange(being_created_, nullptr);
            dialog->window_ = window;
            ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        }
        return dialog != nullptr ? dialog->handle(message, wparam) : FALSE;
    }

    INT_PTR handle(UINT message, WPARAM wparam) {
        if (message == WM_INITDIALOG) {
            initialise();
            return FALSE; // the system sets no focus
        }
        if (message == WM_COMMAND) {
            switch (LOWORD(wparam)) {
            case IDOK:
                ::EndDialog(window_, dialog_ok);
                return TRUE;
            case IDCANCEL:
                ::EndDialog(window_, dialog_cancelled);
                return TRUE;
            case EMBARK_CONTROL_BROWSE:
                browse();
                return TRUE;
            default:
                break;
            }
        }
        return FALSE;
    }

    void initialise() {
        // The link's label and target are both the address the control shows.
        if (link_.attach(::GetDlgItem(window_, EMBARK_CONTROL_ADDRESS))) {
            link_.initialise();
        }
        ::SetDlgItemTextA(window_, EMBARK_CONTROL_MESSAGE, message_.c_str());
        ::SendDlgItemMessageA(window_, EMBARK_CONTROL_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32513))), 0);
        ::EnableWindow(::GetDlgItem(window_, IDOK), FALSE);
        centre(window_);
    }

    void browse() {
        std::string title = system_.resources.load_string(static_cast<unsigned>(MessageId::browse_title));
        BROWSEINFOA request{};
        request.hwndOwner = window_;
        request.lpszTitle = title.c_str();
        request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
        ComApartment com;
        platform::UniqueResource<LPITEMIDLIST, ItemListTraits> item(::SHBrowseForFolderA(&request));
        if (!item) {
            return;
        }
        char path[MAX_PATH];
        BOOL found = ::SHGetPathFromIDListA(item.get(), path);
        item.reset();
        if (!found) {
            return;
        }
        ::SetDlgItemTextA(window_, EMBARK_CONTROL_RUNTIME_PATH, path);
        choice_.runtime_home = remembered_runtime_home(path, system_.paths.separator);
        choice_.vm_library_path = find_vm_library(system_, choice_.runtime_home, jvm_type_).path;
        ::EnableWindow(::GetDlgItem(window_, IDOK), !choice_.vm_library_path.empty());
    }

    static inline MissingRuntimeDialog* being_created_ = nullptr;

    platform::System& system_;
    const std::string& message_;
    JvmType jvm_type_;
    RuntimeChoice& choice_;
    HWND window_ = nullptr;
    Hyperlink link_{0};
};

class DialogWindows final : public MissingRuntimeWindows {
public:
    bool available() const override { return true; }
    int show(platform::System& system, const std::string& message, JvmType jvm_type,
             RuntimeChoice& choice) override {
        MissingRuntimeDialog dialog(system, message, jvm_type, choice);
        return dialog.show(::GetActiveWindow());
    }
};

DialogWindows dialog_windows; // constant-initialised: nothing runs at start-up

} // namespace

MissingRuntimeWindows& native_missing_runtime_windows() {
    return dialog_windows;
}

} // namespace embark
