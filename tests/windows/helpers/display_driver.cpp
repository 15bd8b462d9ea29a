/* The display tests' Windows side: `display_driver dialog` drives the launcher's "JRE Not Found" dialog, `display_driver
 * links` shows statics turned into links with different options and prints "command|notify ID CODE FROM-CONTROL" as
 * the links tell their window. Then "window RECT", "work RECT", "colours WINDOWTEXT GRAYTEXT", "control ID CLASS STYLE RECT
 * TEXT-W TEXT-H TEXT" in tab order (RECT: L T R B on the screen; TEXT-W, -H: its text's size wrapped as the control wraps
 * it) and "ok"; each step read from standard input runs on the window's thread and is answered with "ok" (ID 0: the window):
 *   send|post ID MSG WPARAM LPARAM, disable ID, away (the pointer to 0, 0); a post to the dialog then "focus ID CARET-ID"
 *                   once handled (its message loop gets keys; CARET-ID: where the caret shows)
 *   browse FOLDER   the folder picked through the dialog's Browse... (Alt+B), then "state OK-ENABLED EDIT-TEXT"
 *   point ID X Y    a move from the arrow onto it at X, Y, then "cursor SYSTEM MASK-W MASK-H HOT-X HOT-Y COLOUR MASK-BITS"
 *   hover ID        a point at 8 and half the height, then "tooltip SHOWN TEXT" once a tooltip shows, or in 5 s */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
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
static HWND host; /* the window driven */
static HFONT font;

/* A visible window of the class that the host owns. */
static HWND owned_window(const char *class_name) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, class_name, nullptr));)
        if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == host) return window;
    return nullptr;
}

/* A move onto the control as the system reports it: WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR. */
static void point(HWND control, int x, int y) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), cursor;
    POINT at = {x, y};
    ClientToScreen(control, &at);
    SetCursor(arrow);
    SetCursorPos(at.x, at.y);
    for (UINT message : {WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR})
        SendMessageA(control, message, message == WM_SETCURSOR ? (WPARAM)control : 0,
                     message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : MAKELPARAM(x, y));
    ICONINFO info = {};
    BITMAP mask = {};
    BYTE bits[256] = {};
    if (GetIconInfo(cursor = GetCursor(), &info)) { /* not for another process's cursor under Wine */
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        GetBitmapBits(info.hbmMask, sizeof bits, bits);
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
    }
    print("cursor %d %ld %ld %lu %lu %d ", cursor == arrow || cursor == LoadCursor(nullptr, IDC_HAND), mask.bmWidth,
          mask.bmHeight, info.xHotspot, info.yHotspot, info.hbmColor != nullptr);
    for (BYTE byte : bits) print("%02x", byte);
    print("\n");
}

/* A single point, since each move starts the tooltip's delay anew; again whenever the pointer is found elsewhere, a
 * move of an earlier warp having reached the system late. */
static void hover(HWND control) {
    RECT area = {};
    GetClientRect(control, &area);
    POINT to = {8, area.bottom / 2}, at;
    ClientToScreen(control, &to);
    HWND tooltip = nullptr;
    for (int tries = 0; !tooltip && tries < 50; ++tries, Sleep(100)) {
        if (!tries || (GetCursorPos(&at) && (at.x != to.x || at.y != to.y))) point(control, 8, area.bottom / 2);
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message); /* the links' own */
        tooltip = owned_window(TOOLTIPS_CLASSA);
    }
    char text[256] = "";
    if (tooltip) SendMessageA(tooltip, WM_GETTEXT, sizeof text, (LPARAM)text); /* what it shows */
    print("tooltip %d %s\n", tooltip != nullptr, text);
}

/* The folder's path goes to the browser in the dialog's process; again when Wine's folder browser did not find the
 * folder in its tree at once. */
static void browse(const char *folder) {
    char shown[MAX_PATH] = "";
    for (int tries = 0; tries < 5 && lstrcmpiA(shown, folder); ++tries) {
        PostMessageA(host, WM_SYSKEYDOWN, 'B', 0x20300001); /* Alt+B */
        HWND browser;
        while (!(browser = owned_window("#32770"))) Sleep(100);
        DWORD pid;
        GetWindowThreadProcessId(browser, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
        void *path = VirtualAllocEx(process, nullptr, MAX_PATH, MEM_COMMIT, PAGE_READWRITE);
        WriteProcessMemory(process, path, folder, strlen(folder) + 1, nullptr);
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)path);
        VirtualFreeEx(process, path, 0, MEM_RELEASE), CloseHandle(process);
        PostMessageA(browser, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(browser, IDOK));
        while (IsWindow(browser)) Sleep(50);
        SendMessageA(host, WM_NULL, 0, 0);
        GetDlgItemTextA(host, 201, shown, sizeof shown);
    }
    print("state %d %s\n", IsWindowEnabled(GetDlgItem(host, IDOK)), shown);
}

static void run_step(const char *line) {
    char step[16] = "", folder[MAX_PATH];
    long id = 0, a = 0, b = 0, c = 0;
    std::sscanf(line, "%15s %ld %li %li %li", step, &id, &a, &b, &c);
    HWND control = id ? GetDlgItem(host, (int)id) : host;
    if (!strcmp(step, "send")) SendMessageA(control, (UINT)a, (WPARAM)b, c);
    else if (!strcmp(step, "post")) { /* the dialog has handled it when a marker posted behind it to the edit box has come */
        static LPARAM marker = 100000;
        HWND edit = GetDlgItem(host, 201);
        PostMessageA(control, (UINT)a, (WPARAM)b, c), PostMessageA(edit, EM_SETLIMITTEXT, ++marker, 0);
        while (IsWindow(edit) && SendMessageA(edit, EM_GETLIMITTEXT, 0, 0) != marker) Sleep(20);
        GUITHREADINFO input = {sizeof input, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        GetGUIThreadInfo(GetWindowThreadProcessId(host, nullptr), &input);
        print("focus %d %d\n", GetDlgCtrlID(input.hwndFocus), input.flags & GUI_CARETBLINKING ? GetDlgCtrlID(input.hwndCaret) : 0);
    } else if (!strcmp(step, "disable")) EnableWindow(control, FALSE);
    else if (!strcmp(step, "away")) SetCursorPos(0, 0);
    else if (!strcmp(step, "point")) point(control, a, b);
    else if (!strcmp(step, "hover")) hover(control);
    else if (!strcmp(step, "browse") && std::sscanf(line, "%*s %259[^\n]", folder) == 1) browse(folder);
}

/* The window's place, the work area's, the text colours and the window's controls. */
static void describe_window() {
    char name[64], text[512];
    RECT r, work, need;
    HDC dc = GetDC(host); /* with the dialog's font made anew, as fonts are the process's own */
    SelectObject(dc, CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "MS Shell Dlg"));
    GetWindowRect(host, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    print("window %ld %ld %ld %ld\nwork %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, work.left, work.top,
          work.right, work.bottom);
    print("colours %lu %lu\n", GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_GRAYTEXT));
    for (HWND c = GetWindow(host, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetClassNameA(c, name, sizeof name);
        GetWindowTextA(c, text, sizeof text);
        GetClientRect(c, &need), DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        GetWindowRect(c, &r);
        print("control %d %s %08lx %ld %ld %ld %ld %ld %ld %s\n", (short)GetDlgCtrlID(c), name,
              (unsigned long)GetWindowLongA(c, GWL_STYLE), r.left, r.top, r.right, r.bottom, need.right, need.bottom, text);
    }
    DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT))), ReleaseDC(host, dc);
}

/* The links window's steps run on its own thread: Wine drops the moves that a warp of the pointer by that thread
 * causes when they reach it late. */
static DWORD WINAPI read_steps(void *links_window) {
    char line[MAX_PATH + 16];
    describe_window();
    for (print("ok\n"); std::fgets(line, sizeof line, stdin); print("ok\n")) {
        if (links_window) SendMessageA(host, WM_APP, 0, (LPARAM)line);
        else run_step(line);
    }
    if (links_window) PostMessageA(host, WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT CALLBACK procedure(HWND self, UINT message, WPARAM wparam, LPARAM lparam) {
    NMHDR *header = (NMHDR *)lparam; /* the tooltips, popups, tell theirs here too */
    if (message == WM_GETFONT) return (LRESULT)font;
    if (message == WM_COMMAND)
        print("command %d %d %d\n", LOWORD(wparam), HIWORD(wparam), GetDlgItem(self, LOWORD(wparam)) == (HWND)lparam);
    else if (message == WM_NOTIFY && GetAncestor(header->hwndFrom, GA_PARENT) == self)
        print("notify %d %d %d\n", (int)header->idFrom, (int)header->code, GetDlgItem(self, wparam) == header->hwndFrom);
    else if (message == WM_APP) run_step((const char *)lparam);
    else if (message == WM_DESTROY) PostQuitMessage(0);
    else return DefWindowProcA(self, message, wparam, lparam);
    return 0;
}

static void show_links() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    WNDCLASSA kind = {0, procedure, 0, 0, instance, nullptr, LoadCursor(nullptr, IDC_ARROW),
                      (HBRUSH)(COLOR_3DFACE + 1), nullptr, "embark.links"};
    RegisterClassA(&kind);
    /* Unsmoothed, so that text has the exact colours it is drawn in. */
    font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    SetCursorPos(0, 0), ShowCursor(FALSE); /* away from the links, and not drawn over them */
    host = CreateWindowExA(0, kind.lpszClassName, "Links", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100, 420, 300,
                           nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(host);
    static DWORD green[32 * 32];
    static BYTE opaque[32 * 32 / 8];
    for (DWORD &pixel : green) pixel = 0x00A000;
    HICON icon = CreateIcon(instance, 32, 32, 1, 32, opaque, (BYTE *)green);
    int top = 10, left = 10;
    for (const auto &link : links) {
        bool image = link.style == SS_ICON;
        HWND control = CreateWindowExA(0, "STATIC", link.label, WS_CHILD | WS_VISIBLE | link.style, left, top,
                                       image ? 40 : 380, image ? 40 : 20, host, (HMENU)(INT_PTR)link.id, instance, nullptr);
        auto *hyperlink = new embark::Hyperlink(link.options); /* as long as the process */
        if (hyperlink->attach(control)) hyperlink->initialise();
        if (link.target) hyperlink->set_target(link.target);
        if (image) SendMessageA(control, STM_SETICON, (WPARAM)icon, 0); /* the static takes the icon's size */
        top += image ? 0 : 28, left += image ? 60 : 0;
    }
}

int main(int argc, char **argv) {
    if (argc == 2 && !strcmp(argv[1], "links")) {
        show_links();
        CloseHandle(CreateThread(nullptr, 0, read_steps, host, 0, nullptr));
        for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;) DispatchMessageA(&message);
        return 0;
    }
    while (!IsWindowVisible(host = FindWindowA("#32770", "JRE Not Found"))) Sleep(100); /* once initialised, centred */
    SetCursorPos(0, 0); /* off the dialog: the frame buffer shows the pointer */
    return read_steps(nullptr);
}
