/* Finds the launcher's "JRE Not Found" dialog (waiting up to a minute) and runs
 * its arguments as steps on it, printing what it sees:
 *   controls            "dialog L T R B work L T R B", then per control in tab
 *                       order "control ID CLASS STYLE(hex) L T R B TEXT" (screen)
 *   state               "state OK-ENABLED EDIT-TEXT"
 *   browse FOLDER       Browse..., select FOLDER in the folder browser, its OK
 *   post|send ID MSG W L   to control ID (0: the dialog); send waits for it
 *   hover               pointer on the link: "hover OWN-CURSOR TOOLTIP-TEXT"
 *   wait                until the dialog is gone
 * Or, as the shell's handler of a protocol: record FILE URL. */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>

static HWND dialog;

static HWND target(const char *id) { return atoi(id) ? GetDlgItem(dialog, atoi(id)) : dialog; }

/* Sends a message whose lParam points at SIZE bytes of DATA, copied into the
 * dialog's process and read back from there afterwards. */
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

static HWND owned_window(HWND owner, const char *class_name) {
    for (int tries = 0; tries < 600; ++tries, Sleep(100)) {
        HWND window = NULL;
        while ((window = FindWindowExA(NULL, window, class_name, NULL)) != NULL)
            if (IsWindowVisible(window) && (!owner || GetWindow(window, GW_OWNER) == owner)) return window;
    }
    return NULL;
}

/* Picks FOLDER; again when Wine's browser did not find it in its tree at once. */
static void browse(const char *folder) {
    char path[MAX_PATH] = {0}, shown[MAX_PATH] = {0};
    for (int tries = 0; tries < 5 && lstrcmpiA(shown, folder); ++tries) {
        PostMessageA(dialog, WM_COMMAND, 202, 0);
        HWND browser = owned_window(dialog, "#32770");
        lstrcpynA(path, folder, MAX_PATH);
        send_remote(browser, BFFM_SETSELECTIONA, TRUE, path, sizeof path, 0);
        PostMessageA(browser, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(browser, IDOK));
        while (IsWindow(browser)) Sleep(50);
        SendMessageA(dialog, WM_NULL, 0, 0);
        GetDlgItemTextA(dialog, 201, shown, sizeof shown);
    }
}

static void hover(void) {
    RECT link;
    GetWindowRect(GetDlgItem(dialog, 205), &link);
    SetCursorPos(link.left + 8, (link.top + link.bottom) / 2);
    struct { TTTOOLINFOA tool; char text[256]; } current = {0};
    current.tool.cbSize = TTTOOLINFOA_V2_SIZE;
    HWND tooltip = owned_window(GetDlgItem(dialog, 205), TOOLTIPS_CLASSA);
    if (tooltip) send_remote(tooltip, TTM_GETCURRENTTOOLA, 0, &current, sizeof current, offsetof(TTTOOLINFOA, lpszText));
    CURSORINFO cursor = {0};
    cursor.cbSize = sizeof cursor;
    GetCursorInfo(&cursor);
    int own = cursor.hCursor && cursor.hCursor != LoadCursor(NULL, IDC_ARROW) && cursor.hCursor != LoadCursor(NULL, IDC_HAND);
    printf("hover %d %s\n", own, current.text);
}

int main(int argc, char **argv) {
    if (argc == 4 && !strcmp(argv[1], "record")) {
        FILE *out = fopen(argv[2], "w");
        fputs(argv[3], out);
        return fclose(out);
    }
    for (int tries = 0; !(dialog = FindWindowA("#32770", "JRE Not Found")) && tries < 600; ++tries) Sleep(100);
    if (!dialog) return 3;
    for (int i = 1; i < argc; ++i) {
        char text[512];
        RECT r;
        if (!strcmp(argv[i], "controls")) {
            RECT work;
            SetCursorPos(0, 0);
            GetWindowRect(dialog, &r);
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            printf("dialog %ld %ld %ld %ld work %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, work.left,
                   work.top, work.right, work.bottom);
            for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char class_name[64];
                GetClassNameA(c, class_name, sizeof class_name);
                GetWindowTextA(c, text, sizeof text);
                GetWindowRect(c, &r);
                printf("control %d %s %08lx %ld %ld %ld %ld %s\n", (short)GetDlgCtrlID(c), class_name,
                       (unsigned long)GetWindowLongA(c, GWL_STYLE), r.left, r.top, r.right, r.bottom, text);
            }
        } else if (!strcmp(argv[i], "state")) {
            GetDlgItemTextA(dialog, 201, text, sizeof text);
            printf("state %d %s\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)), text);
        } else if (!strcmp(argv[i], "browse")) {
            browse(argv[++i]);
        } else if (!strcmp(argv[i], "post") || !strcmp(argv[i], "send")) {
            HWND window = target(argv[i + 1]);
            UINT message = strtoul(argv[i + 2], NULL, 0);
            WPARAM wparam = strtoul(argv[i + 3], NULL, 0);
            LPARAM lparam = strtol(argv[i + 4], NULL, 0);
            if (argv[i][0] == 'p') PostMessageA(window, message, wparam, lparam);
            else SendMessageA(window, message, wparam, lparam);
            i += 4;
        } else if (!strcmp(argv[i], "hover")) {
            hover();
        } else if (!strcmp(argv[i], "wait")) {
            while (IsWindow(dialog)) Sleep(50);
        }
        fflush(stdout);
    }
    return 0;
}
