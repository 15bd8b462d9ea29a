/* Finds the launcher's "JRE Not Found" dialog and runs its arguments as steps on it
 * (RECT: L T R B on the screen): controls ("dialog RECT work RECT", then in tab order
 * "control ID CLASS STYLE RECT TEXT"; the pointer to 0, 0), browse FOLDER ("state
 * OK-ENABLED EDIT-TEXT"), post|send ID MSG WPARAM LPARAM (ID 0: the dialog), hover
 * ("hover OWN-CURSOR TOOLTIP-TEXT"), disable (the link; "grey COLORREF"). */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>

static HWND dialog;

/* Sends a message whose lParam points at a copy of DATA in the dialog's process (the
 * field at TEXT_AT, if any, at its last 256 bytes), and copies it back afterwards. */
static void send_remote(HWND window, UINT message, WPARAM wparam, void *data, SIZE_T size, SIZE_T text_at) {
    DWORD pid;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    char *remote = VirtualAllocEx(process, NULL, size, MEM_COMMIT, PAGE_READWRITE);
    if (text_at) *(char **)((char *)data + text_at) = remote + size - 256;
    WriteProcessMemory(process, remote, data, size, NULL);
    SendMessageA(window, message, wparam, (LPARAM)remote);
    ReadProcessMemory(process, remote, data, size, NULL);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

static HWND owned_window(const char *class_name) {
    for (int tries = 0; tries < 600; ++tries, Sleep(100))
        for (HWND window = NULL; (window = FindWindowExA(NULL, window, class_name, NULL)) != NULL;)
            if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == dialog) return window;
    return NULL;
}

/* Again when Wine's folder browser did not find the folder in its tree at once. */
static void browse(const char *folder) {
    char shown[MAX_PATH] = {0};
    for (int tries = 0; tries < 5 && lstrcmpiA(shown, folder); ++tries) {
        PostMessageA(dialog, WM_COMMAND, 202, 0);
        HWND browser = owned_window("#32770");
        send_remote(browser, BFFM_SETSELECTIONA, TRUE, (char *)folder, strlen(folder) + 1, 0);
        PostMessageA(browser, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(browser, IDOK));
        while (IsWindow(browser)) Sleep(50);
        SendMessageA(dialog, WM_NULL, 0, 0);
        GetDlgItemTextA(dialog, 201, shown, sizeof shown);
    }
    printf("state %d %s\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)), shown);
}

static void hover(void) {
    RECT link;
    GetWindowRect(GetDlgItem(dialog, 205), &link);
    SetCursorPos(link.left + 8, (link.top + link.bottom) / 2);
    HWND tooltip = owned_window(TOOLTIPS_CLASSA);
    struct { TTTOOLINFOA tool; char text[256]; } current = {.tool = {.cbSize = TTTOOLINFOA_V2_SIZE}};
    SIZE_T text_at = (char *)&current.tool.lpszText - (char *)&current;
    for (int tries = 0; tooltip && !current.text[0] && tries < 50; ++tries, Sleep(100)) { /* moves reach it later */
        SetCursorPos(link.left + 8 + tries % 2, (link.top + link.bottom) / 2);
        send_remote(tooltip, TTM_GETCURRENTTOOLA, 0, &current, sizeof current, text_at);
    }
    CURSORINFO cursor = {.cbSize = sizeof cursor};
    GetCursorInfo(&cursor);
    printf("hover %d %s\n", cursor.hCursor != LoadCursor(NULL, IDC_ARROW) && cursor.hCursor != LoadCursor(NULL, IDC_HAND),
           current.text);
}

int main(int argc, char **argv) {
    for (int tries = 0; !IsWindowVisible(dialog = FindWindowA("#32770", "JRE Not Found")) && tries < 600; ++tries)
        Sleep(100); /* shown once it is initialised and centred */
    if (!dialog) return 3;
    for (int i = 1; i < argc; ++i) {
        char text[512], name[64]; RECT r, work;
        if (!strcmp(argv[i], "controls")) {
            SetCursorPos(0, 0);
            GetWindowRect(dialog, &r);
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            printf("dialog %ld %ld %ld %ld work %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, work.left,
                   work.top, work.right, work.bottom);
            for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                GetClassNameA(c, name, sizeof name);
                GetWindowTextA(c, text, sizeof text);
                GetWindowRect(c, &r);
                printf("control %d %s %08lx %ld %ld %ld %ld %s\n", (short)GetDlgCtrlID(c), name,
                       (unsigned long)GetWindowLongA(c, GWL_STYLE), r.left, r.top, r.right, r.bottom, text);
            }
        } else if (!strcmp(argv[i], "browse")) {
            browse(argv[++i]);
        } else if (!strcmp(argv[i], "post") || !strcmp(argv[i], "send")) {
            HWND window = atoi(argv[i + 1]) ? GetDlgItem(dialog, atoi(argv[i + 1])) : dialog;
            UINT_PTR message = strtoul(argv[i + 2], NULL, 0), wparam = strtoul(argv[i + 3], NULL, 0);
            LPARAM lparam = strtol(argv[i + 4], NULL, 0);
            if (argv[i][0] == 'p') PostMessageA(window, (UINT)message, wparam, lparam);
            else SendMessageA(window, (UINT)message, wparam, lparam);
            i += 4;
        } else if (!strcmp(argv[i], "disable")) {
            EnableWindow(GetDlgItem(dialog, 205), FALSE);
            printf("grey %lu\n", (unsigned long)GetSysColor(COLOR_GRAYTEXT));
        } else if (!strcmp(argv[i], "hover")) {
            hover();
        }
        fflush(stdout);
    }
    return 0;
}
