/* Shows a window of statics turned into links with different options, prints "colour TEXT-COLORREF",
 * "control ID L T R B" (on the screen) for each and "ok", then runs the steps read from standard input, each
 * answered with "ok": send ID MSG WPARAM LPARAM; cursor ID X Y (the pointer moved there, then "cursor SYSTEM
 * MASK-WIDTH MASK-HEIGHT HOT-X HOT-Y COLOUR MASK-BITS" of the cursor left); hover ID (the pointer onto the
 * control, then "tooltip SHOWN TEXT" once a tooltip of the window shows, or after 5 s); away (the pointer to
 * 0, 0). The window prints "command ID CODE FROM-CONTROL" and "notify ID CODE FROM-CONTROL" as they come. */
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "ui/win32/hyperlink.h"

#define print(...) (std::printf(__VA_ARGS__), std::fflush(stdout))

static const struct { int id; uint32_t options; DWORD style; const char *label, *target; } links[] = {
    {101, 0x10, SS_LEFT, "before <a>the link part</A> after", nullptr},
    {102, 0x30, SS_LEFT, "before <a>the link part</A> after", nullptr},
    {103, 0x02, SS_LEFT, "hover over this link", nullptr},
    {104, 0x04, SS_LEFT, "command link", "https://localhost/command"}, /* targets never to be opened */
    {105, 0x0C, SS_LEFT, "notify link", "https://localhost/notify"},
    {106, 0x40, SS_LEFT, "https://localhost/quiet", nullptr},
    {107, 0, SS_ICON, "", "https://localhost/icon"},
    {108, 0x04, SS_ICON, "", nullptr}};
static HWND window;
static HFONT font;

/* A move of the pointer as the system reports it, from the arrow: WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR. */
static void probe(HWND control, LPARAM point) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), cursor;
    POINT at = {(short)LOWORD(point), (short)HIWORD(point)};
    ClientToScreen(control, &at);
    SetCursor(arrow);
    SetCursorPos(at.x, at.y);
    for (UINT message : {WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR})
        SendMessageA(control, message, message == WM_SETCURSOR ? (WPARAM)control : 0,
                     message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : point);
    ICONINFO info = {};
    BITMAP mask = {};
    BYTE bits[256] = {};
    if (GetIconInfo(cursor = GetCursor(), &info)) {
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        GetBitmapBits(info.hbmMask, sizeof bits, bits);
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
    }
    print("cursor %d %ld %ld %lu %lu %d ", cursor == arrow || cursor == LoadCursor(nullptr, IDC_HAND), mask.bmWidth,
          mask.bmHeight, info.xHotspot, info.yHotspot, info.hbmColor != nullptr);
    for (BYTE byte : bits) print("%02x", byte);
    print("\n");
}

/* The pointer moves on the window's thread, which then ignores the moves still on their way to it; a single
 * move onto the control, since each one starts the tooltip's delay anew. */
static void hover(HWND control) {
    RECT area = {};
    GetWindowRect(control, &area);
    int y = (area.bottom - area.top) / 2, shown = 0;
    SendMessageA(window, WM_APP + 1, 0, control ? MAKELPARAM(area.left + 8, area.top + y) : 0);
    if (!control) return;
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(8, y));
    char text[256] = "";
    for (int tries = 0; !shown && tries < 50; ++tries, Sleep(100))
        for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));)
            if (GetWindow(tip, GW_OWNER) == window && IsWindowVisible(tip) && ++shown) {
                TTTOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, nullptr, 0, {}, nullptr, text, 0, nullptr};
                SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, (LPARAM)&tool);
            }
    print("tooltip %d %s\n", shown, text);
}

static DWORD WINAPI run_steps(void *) {
    char line[256], step = 0;
    for (long id = 0, a = 0, b = 0, c = 0; std::fgets(line, sizeof line, stdin); print("ok\n")) {
        std::sscanf(line, " %c%*s %ld %li %li %li", &step, &id, &a, &b, &c);
        HWND control = GetDlgItem(window, (int)id);
        if (step == 's') SendMessageA(control, (UINT)a, (WPARAM)b, c);
        if (step == 'c') SendMessageA(window, WM_APP, (WPARAM)id, MAKELPARAM(a, b));
        if (step == 'h' || step == 'a') hover(step == 'h' ? control : nullptr);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT CALLBACK procedure(HWND self, UINT message, WPARAM wparam, LPARAM lparam) {
    NMHDR *header = (NMHDR *)lparam; /* the tooltips, popups, tell theirs here too */
    if (message == WM_GETFONT) return (LRESULT)font;
    if (message == WM_COMMAND)
        print("command %d %d %d\n", LOWORD(wparam), HIWORD(wparam), GetDlgItem(self, LOWORD(wparam)) == (HWND)lparam);
    else if (message == WM_NOTIFY && GetAncestor(header->hwndFrom, GA_PARENT) == self)
        print("notify %d %d %d\n", (int)header->idFrom, (int)header->code, GetDlgItem(self, wparam) == header->hwndFrom);
    else if (message == WM_APP) probe(GetDlgItem(self, (int)wparam), lparam);
    else if (message == WM_APP + 1) SetCursorPos(LOWORD(lparam), HIWORD(lparam));
    else if (message == WM_DESTROY) PostQuitMessage(0);
    else return DefWindowProcA(self, message, wparam, lparam);
    return 0;
}

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    WNDCLASSA kind = {0, procedure, 0, 0, instance, nullptr, LoadCursor(nullptr, IDC_ARROW),
                      (HBRUSH)(COLOR_3DFACE + 1), nullptr, "embark.links"};
    RegisterClassA(&kind);
    /* Unsmoothed, so that text has the exact colours it is drawn in. */
    font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    SetCursorPos(0, 0), ShowCursor(FALSE); /* away from the links, and not drawn over them */
    window = CreateWindowExA(0, kind.lpszClassName, "Links", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100, 420,
                             300, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(window);
    static DWORD green[32 * 32];
    static BYTE opaque[32 * 32 / 8];
    for (DWORD &pixel : green) pixel = 0x00A000;
    HICON icon = CreateIcon(instance, 32, 32, 1, 32, opaque, (BYTE *)green);
    print("colour %lu\n", GetSysColor(COLOR_WINDOWTEXT));
    int top = 10, left = 10;
    for (const auto &link : links) {
        bool image = link.style == SS_ICON;
        HWND control = CreateWindowExA(0, "STATIC", link.label, WS_CHILD | WS_VISIBLE | link.style, left, top,
                                       image ? 40 : 380, image ? 40 : 20, window, (HMENU)(INT_PTR)link.id, instance, nullptr);
        auto *hyperlink = new embark::Hyperlink(link.options); /* as long as the process */
        if (hyperlink->attach(control)) hyperlink->initialise();
        if (link.target) hyperlink->set_target(link.target);
        if (image) SendMessageA(control, STM_SETICON, (WPARAM)icon, 0); /* the static takes the icon's size */
        RECT area;
        GetWindowRect(control, &area);
        print("control %d %ld %ld %ld %ld\n", link.id, area.left, area.top, area.right, area.bottom);
        top += image ? 0 : 28, left += image ? 60 : 0;
    }
    print("ok\n");
    CloseHandle(CreateThread(nullptr, 0, run_steps, nullptr, 0, nullptr));
    for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0; DispatchMessageA(&message)) TranslateMessage(&message);
    return 0;
}
