#include "ui/win32/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <new>
#include <string_view>

#include "platform/win32/win32_system.h"
#include "ui/link_text.h"
#include "ui/win32/memory_room.h"

namespace embark {

namespace {

// The control object of a subclassed window, kept as a window property.
constexpr const char* control_property = "embark.hyperlink";

// A right hand pointing up with its index finger, hot spot on the fingertip:
// '#' black, '.' white, blank transparent.
constexpr int hand_width = 32;
constexpr int hand_height = 32;
constexpr const char* hand_drawing[] = {
    "     ##",           "    #..#",          "    #..#",          "    #..#",          "    #..#",
    "    #..###",        "    #..#..###",     "    #..#..#..##",   "    #..#..#..#.#",  " ## #..#..#..#..#",
    "#..##...........#", "#...#...........#", " #..............#", "  #.............#", "   #............#",
    "   #............#", "   #...........#",  "    #..........#",  "    #.........#",   "     #........#",
    "     #........#",   "     ##########",
};

HCURSOR create_hand_cursor() {
    // AND plane 1 and XOR plane 0: transparent; 0 and 0: black; 0 and 1: white.
    BYTE and_plane[hand_width * hand_height / 8];
    BYTE xor_plane[hand_width * hand_height / 8] = {};
    std::memset(and_plane, 0xFF, sizeof and_plane);
    int row = 0;
    for (const char* line : hand_drawing) {
        for (int column = 0; line[column] != '\0'; ++column) {
            int byte = row * hand_width / 8 + column / 8;
            BYTE bit = static_cast<BYTE>(0x80 >> (column % 8));
            if (line[column] != ' ') {
                and_plane[byte] &= static_cast<BYTE>(~bit);
            }
            if (line[column] == '.') {
                xor_plane[byte] |= bit;
            }
        }
        ++row;
    }
    return ::CreateCursor(::GetModuleHandleA(nullptr), 5, 0, hand_width, hand_height, and_plane, xor_plane);
}

POINT point_from(LPARAM lparam) {
    return {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

int draw(HDC dc, std::string_view text, RECT& area, UINT format) {
    return ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &area, format);
}

} // namespace

bool Hyperlink::attach(HWND window) {
    if (!::SetPropA(window, control_property, this)) {
        return false;
    }
    auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Hyperlink::procedure)));
    if (previous == nullptr) {
        ::RemovePropA(window, control_property);
        return false;
    }
    window_ = window;
    previous_ = previous;
    return true;
}

LRESULT CALLBACK Hyperlink::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* control = static_cast<Hyperlink*>(::GetPropA(window, control_property));
    if (control == nullptr) {
        return ::DefWindowProcA(window, message, wparam, lparam);
    }
    return control->handle(message, wparam, lparam);
}

LRESULT Hyperlink::pass_on(UINT message, WPARAM wparam, LPARAM lparam) {
    return ::CallWindowProcA(previous_, window_, message, wparam, lparam);
}

void Hyperlink::forget_window() {
    // Put the previous procedure back unless another one has replaced this
    // control's meanwhile, or there was none of the window's own.
    if (previous_ != ::DefWindowProcA &&
        ::GetWindowLongPtrA(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Hyperlink::procedure)) {
        ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    ::RemovePropA(window_, control_property);
    window_ = nullptr;
}

void Hyperlink::initialise() {
    char class_name[8];
    if (::GetClassNameA(window_, class_name, sizeof class_name) > 0 &&
        ::lstrcmpiA(class_name, "static") == 0) {
        LONG_PTR style = ::GetWindowLongPtrA(window_, GWL_STYLE);
        ::SetWindowLongPtrA(window_, GWL_STYLE, style | SS_NOTIFY);
        // Images and frames keep their own painting.
        unsigned kind = style & 0xFF;
        if ((kind >= SS_ICON && kind <= SS_WHITEFRAME) || (kind >= SS_OWNERDRAW && kind <= SS_ENHMETAFILE)) {
            paint_label_ = false;
        }
    }
    hand_cursor_.reset(create_hand_cursor());
    if (paint_label_) {
        normal_font_ = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(window_), WM_GETFONT, 0, 0));
        if (normal_font_ == nullptr) {
            normal_font_ = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        }
        LOGFONTA description;
        if (!link_font_ && ::GetObjectA(normal_font_, sizeof description, &description) != 0) {
            if (has(markup | bold_link)) {
                description.lfWeight = FW_BOLD;
            } else if (!has(no_underline)) {
                description.lfUnderline = TRUE;
            }
            link_font_.reset(::CreateFontIndirectA(&description));
        }
    }
    tooltip_.reset(::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
    int length = ::GetWindowTextLengthA(window_);
    if (label_.empty() && length > 0) {
        std::string text;
        if (make_room(text, static_cast<size_t>(length) + 1) &&
            ::GetWindowTextA(window_, text.data(), length + 1) > 0) {
            set_label(text.data());
        }
    }
    calculate_link_rectangle();
    if (target_.empty() && !has(command_button)) {
        if (!label_.empty()) {
            set_target(label_.data());
        }
    } else {
        ::SendMessageA(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
        add_tool();
    }
    if (paint_label_) {
        read_link_colours();
    }
}

bool Hyperlink::set_label(const char* text) {
    if (!keep_copy(label_, text)) {
        return false;
    }
    calculate_link_rectangle();
    ::SetWindowTextA(window_, text);
    return true;
}

bool Hyperlink::set_target(const char* text) {
    if (!keep_copy(target_, text)) {
        return false;
    }
    if (label_.empty()) {
        calculate_link_rectangle();
    }
    if (tooltip_) {
        ::SendMessageA(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
        add_tool();
    }
    return true;
}

void Hyperlink::add_tool() {
    // The record's size differs between 32-bit and 64-bit processes; the
    // trailing reserved field is left out.
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = 1;
    tool.rect = link_rectangle_;
    tool.hinst = ::GetModuleHandleA(nullptr);
    tool.lpszText = target_.empty() ? nullptr : target_.data();
    ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Hyperlink::read_link_colours() {
    // Read access is all it takes, and all that a user may have.
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_READ,
                        &opened) != ERROR_SUCCESS) {
        return;
    }
    platform::win32::UniqueRegistryKey key(opened);
    platform::win32::Win32CodePage code_page;
    const struct {
        const char* name;
        COLORREF& colour;
    } values[] = {{"Anchor Color", link_colour_}, {"Anchor Color Visited", visited_colour_}};
    for (const auto& value : values) {
        char buffer[12] = {};
        DWORD type = 0;
        DWORD size = sizeof buffer;
        if (::RegQueryValueExA(key.get(), value.name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || buffer[size - 1] != '\0') {
            continue;
        }
        uint32_t colour = parse_link_colour(buffer, code_page);
        if (colour != invalid_colour) {
            value.colour = colour;
        }
    }
}

const char* Hyperlink::text() const {
    if (!label_.empty()) {
        return label_.data();
    }
    return target_.empty() ? "" : target_.data();
}

UINT Hyperlink::alignment() const {
    LONG_PTR kind = ::GetWindowLongPtrA(window_, GWL_STYLE) & SS_TYPEMASK;
    return kind == SS_CENTER ? DT_CENTER : kind == SS_RIGHT ? DT_RIGHT : DT_LEFT;
}

bool Hyperlink::over_link(POINT point) const {
    return (!target_.empty() || has(command_button)) && ::PtInRect(&link_rectangle_, point);
}

void Hyperlink::calculate_link_rectangle() {
    // An image is the link over its whole client area, whether or not there is
    // a text: a command button needs none.
    if (!::IsWindow(window_) || (paint_label_ && label_.empty() && target_.empty())) {
        return;
    }
    RECT client;
    ::GetClientRect(window_, &client);
    link_rectangle_ = client;
    if (!paint_label_) {
        return;
    }
    WindowDc dc(window_);
    HGDIOBJ old_font = ::GetCurrentObject(dc.get(), OBJ_FONT);
    if (!has(markup)) {
        if (link_font_) {
            ::SelectObject(dc.get(), link_font_.get());
        }
        UINT format = alignment();
        draw(dc.get(), text(), link_rectangle_, DT_CALCRECT | DT_WORDBREAK | format);
        if (format == DT_CENTER) {
            ::OffsetRect(&link_rectangle_, (client.right - link_rectangle_.right) / 2, 0);
        } else if (format == DT_RIGHT) {
            ::OffsetRect(&link_rectangle_, client.right - link_rectangle_.right, 0);
        }
    } else {
        MarkupParts parts = split_markup(text());
        RECT before = client;
        ::SelectObject(dc.get(), normal_font_);
        if (parts.before) {
            draw(dc.get(), *parts.before, before, DT_CALCRECT | DT_WORDBREAK);
            link_rectangle_.left = before.right;
        }
        if (link_font_) {
            ::SelectObject(dc.get(), link_font_.get());
        }
        draw(dc.get(), parts.link.value_or(std::string_view()), link_rectangle_, DT_CALCRECT | DT_WORDBREAK);
    }
    ::SelectObject(dc.get(), old_font);
}

void Hyperlink::paint(HDC given) {
    PAINTSTRUCT paint_record;
    HDC dc = given != nullptr ? given : ::BeginPaint(window_, &paint_record);
    RECT client;
    ::GetClientRect(window_, &client);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(::GetParent(window_), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(window_)));
    if (brush != nullptr) {
        ::FillRect(dc, &client, brush);
    }
    COLORREF colour = !::IsWindowEnabled(window_) ? ::GetSysColor(COLOR_GRAYTEXT)
        : visited_                                ? visited_colour_
                                                  : link_colour_;
    HFONT font = (!link_font_ || (has(underline_on_hover) && !hover_)) ? normal_font_ : link_font_.get();
    bool focused = ::GetFocus() == window_;
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old_font = ::GetCurrentObject(dc, OBJ_FONT);
    if (!has(markup)) {
        COLORREF old_colour = ::SetTextColor(dc, colour);
        ::SelectObject(dc, font);
        RECT area = link_rectangle_;
        draw(dc, text(), area, DT_WORDBREAK | alignment());
        if (focused) {
            ::DrawFocusRect(dc, &link_rectangle_);
        }
        ::SetTextColor(dc, old_colour);
    } else {
        MarkupParts parts = split_markup(text());
        ::SelectObject(dc, normal_font_);
        RECT area = client;
        if (parts.before) {
            draw(dc, *parts.before, area, DT_WORDBREAK);
        }
        COLORREF old_colour = ::SetTextColor(dc, colour);
        ::SelectObject(dc, font);
        area = link_rectangle_;
        if (parts.link) {
            draw(dc, *parts.link, area, DT_WORDBREAK);
        }
        ::SetTextColor(dc, old_colour);
        ::SelectObject(dc, normal_font_);
        area = {link_rectangle_.right, link_rectangle_.top, client.right, client.bottom};
        if (parts.after) {
            draw(dc, *parts.after, area, DT_WORDBREAK);
        }
        if (focused) {
            ::DrawFocusRect(dc, &link_rectangle_);
        }
    }
    ::SelectObject(dc, old_font);
    if (given == nullptr) {
        ::EndPaint(window_, &paint_record);
    }
}

void Hyperlink::redraw(const RECT* area, bool update) {
    ::InvalidateRect(window_, area, TRUE);
    if (update) {
        ::UpdateWindow(window_);
    }
}

void Hyperlink::relay(UINT message, WPARAM wparam, LPARAM lparam) {
    if (!tooltip_ || has(no_tooltip)) {
        return;
    }
    MSG record{window_, message, wparam, lparam, 0, {0, 0}};
    ::SendMessageA(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&record));
}

bool Hyperlink::mouse_move(POINT point) {
    if (over_link(point)) {
        ::SetCursor(hand_cursor_.get());
        if (has(underline_on_hover) && !hover_) {
            hover_ = true;
            redraw(&link_rectangle_, true);
            // The record is larger in a 64-bit process: its real size, always.
            TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, window_, 0};
            ::_TrackMouseEvent(&tracking);
        }
        return true;
    }
    leave_link();
    return false;
}

void Hyperlink::leave_link() {
    if (has(underline_on_hover) && hover_) {
        hover_ = false;
        redraw(&link_rectangle_, true);
    }
}

bool Hyperlink::navigate() {
    auto id = ::GetDlgCtrlID(window_);
    HWND parent = ::GetParent(window_);
    if (has(command_button | notify_click)) {
        NMHDR header{window_, static_cast<UINT_PTR>(id), static_cast<UINT>(NM_CLICK)};
        ::SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
        return true;
    }
    if (has(command_button)) {
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(window_));
        return true;
    }
    // No target, nothing to open (the shell must not be handed a null name).
    if (target_.empty()) {
        return false;
    }
    auto opened = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", target_.data(), nullptr, nullptr, SW_SHOWNORMAL));
    if (opened <= 32) {
        return false;
    }
    visited_ = true;
    redraw(nullptr, false);
    return true;
}

LRESULT Hyperlink::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DESTROY:
        tooltip_.reset();
        return pass_on(message, wparam, lparam);
    case WM_NCDESTROY: {
        LRESULT result = pass_on(message, wparam, lparam);
        forget_window();
        return result;
    }
    default:
        break;
    }
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL) {
        relay(message, wparam, lparam);
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // painting fills the background
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (paint_label_) {
            paint(reinterpret_cast<HDC>(wparam));
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (paint_label_) {
            redraw(nullptr, false);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (mouse_move(point_from(lparam))) {
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        leave_link();
        return 0;
    case WM_LBUTTONDOWN: {
        POINT point = point_from(lparam);
        if (::PtInRect(&link_rectangle_, point)) {
            ::SetFocus(window_);
            ::SetCapture(window_);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (::GetCapture() == window_) {
            ::ReleaseCapture();
            if (::PtInRect(&link_rectangle_, point_from(lparam))) {
                navigate();
            }
        }
        return 0;
    case WM_CHAR:
        if (wparam == VK_RETURN || wparam == VK_SPACE) {
            navigate();
        }
        return 0;
    case WM_GETDLGCODE: {
        // Enter is the link's own, as Space is: the dialog would press its default button instead.
        const auto* key = reinterpret_cast<const MSG*>(lparam);
        bool enter = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_SETCURSOR: {
        POINT point;
        if (::GetCursorPos(&point) && ::ScreenToClient(window_, &point) && over_link(point)) {
            return 1; // the hand set by the last mouse move stays
        }
        break;
    }
    case WM_ENABLE:
        redraw(nullptr, true);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(normal_font_);
    case WM_SETFONT:
        normal_font_ = reinterpret_cast<HFONT>(wparam);
        if (lparam != 0) {
            redraw(nullptr, true);
        }
        return 0;
    case WM_UPDATEUISTATE:
        return 0;
    case WM_SIZE:
        calculate_link_rectangle();
        redraw(nullptr, false);
        return 0;
    default:
        break;
    }
    return pass_on(message, wparam, lparam);
}

} // namespace embark
