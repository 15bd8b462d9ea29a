/* A Windows-side helper of the Wine tests. `run` starts EMBARK_RAW_APPLICATION
 * with the exact command line EMBARK_RAW_COMMAND_LINE (`wine prog args` would
 * re-quote it) and writes its full 32-bit exit code to EMBARK_RAW_EXIT_FILE;
 * (EMBARK_RAW_HANDLES "none": without standard handles but in the helper's console; "detached": without either,
 * as from a shortcut);
 * `box CAPTION` prints the text of the message box with that caption and presses OK;
 * `version FILE` prints the file's fixed version and version texts as Windows reads them, its number of icons and the
 * first pixel of its large icon;
 * `env NAME` prints a variable as Windows programs see it (exit 1: unset);
 * `service NAME [CONTROL]` sends the control code to the installed service, if
 * given, and prints its status record's fields after the type (exit 1: failed);
 * `squat NAME` makes a mapping of that name as another user would (owned by
 * LocalSystem, open to all), prints "held" and keeps it until its input ends. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *variable(const char *name) { /* NULL when unset or empty */
    DWORD size = GetEnvironmentVariableA(name, NULL, 0);
    char *value = size ? malloc(size) : NULL;
    return value && GetEnvironmentVariableA(name, value, size) ? value : NULL;
}

static int run(void) {
    char *application = variable("EMBARK_RAW_APPLICATION"), *line = variable("EMBARK_RAW_COMMAND_LINE");
    char *exit_file = variable("EMBARK_RAW_EXIT_FILE");
    STARTUPINFOA startup = {0};
    PROCESS_INFORMATION process;
    DWORD code = 0;
    /* EMBARK_RAW_HANDLES "console": no standard handles, in a console of the helper's own, whose text is printed
       at the end; "detached": neither, as from a shortcut */
    char *handles = variable("EMBARK_RAW_HANDLES");
    BOOL detached = handles && strcmp(handles, "detached") == 0, console = handles && !detached;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (console) FreeConsole(), AllocConsole();
    startup.cb = sizeof startup;
    startup.dwFlags = handles ? STARTF_USESTDHANDLES : 0;
    if (!line || !CreateProcessA(application, line, NULL, NULL, !handles, detached ? DETACHED_PROCESS : 0, NULL, NULL,
                                 &startup, &process)) {
        fprintf(stderr, "cannot start %s: %lu\n", line ? line : "(no EMBARK_RAW_COMMAND_LINE)", GetLastError());
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    if (console) { /* the console's lines, as the child left them, without their trailing blanks */
        CONSOLE_SCREEN_BUFFER_INFO info;
        HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        GetConsoleScreenBufferInfo(screen, &info);
        for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
            char text[1024];
            DWORD read = 0, written;
            ReadConsoleOutputCharacterA(screen, text, info.dwSize.X < 1023 ? info.dwSize.X : 1023, (COORD){0, row}, &read);
            while (read > 0 && text[read - 1] == ' ') --read;
            text[read++] = '\n';
            WriteFile(output, text, read, &written, NULL);
        }
    }
    FILE *out = exit_file ? fopen(exit_file, "w") : NULL;
    if (out) fprintf(out, "%ld\n", (long)(LONG)code), fclose(out);
    return (int)code;
}

/* The message box with the caption, once it shows (within a minute): prints its text and presses its OK button. */
static int box(const char *caption) {
    char text[4096] = "";
    for (int tries = 0; tries < 600; ++tries, Sleep(100)) {
        HWND window = FindWindowA("#32770", caption);
        if (!window) continue;
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text); /* the static text of a message box */
        printf("%s\n", text);
        SendMessageA(window, WM_COMMAND, IDOK, 0);
        return 0;
    }
    printf("no box %s\n", caption);
    return 1;
}

static int version(const char *file) {
    static const char *keys[] = {"ProductName", "FileDescription", "CompanyName", "LegalCopyright", "OriginalFilename",
                                 "FileVersion", "ProductVersion"};
    DWORD ignored, size = GetFileVersionInfoSizeA(file, &ignored), pixel = 0;
    char *data = size ? malloc(size) : NULL, key[80], *text;
    VS_FIXEDFILEINFO *fixed;
    UINT length;
    HICON large = NULL;
    ICONINFO icon;
    if (!data || !GetFileVersionInfoA(file, 0, size, data) || !VerQueryValueA(data, "\\", (void **)&fixed, &length))
        return printf("error %lu\n", GetLastError()), 1;
    printf("fixed %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
           fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
    for (int i = 0; i < 7; ++i) {
        sprintf(key, "\\StringFileInfo\\040904B0\\%s", keys[i]);
        if (VerQueryValueA(data, key, (void **)&text, &length)) printf("%s %s\n", keys[i], text);
    }
    if (ExtractIconExA(file, 0, &large, NULL, 1) == 1 && GetIconInfo(large, &icon))
        GetBitmapBits(icon.hbmColor, sizeof pixel, &pixel);
    printf("icons %u pixel %06lx\n", ExtractIconExA(file, -1, NULL, NULL, 0), pixel & 0xFFFFFF);
    return 0;
}

static int service(const char *name, const char *control) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT), handle = NULL;
    SERVICE_STATUS status;
    BOOL done = manager && (handle = OpenServiceA(manager, name, SERVICE_ALL_ACCESS)) &&
                (control ? ControlService(handle, strtoul(control, NULL, 0), &status) : QueryServiceStatus(handle, &status));
    if (done) printf("%lu %lu %lu %lu %lu %lu\n", status.dwCurrentState, status.dwControlsAccepted,
                     status.dwWin32ExitCode, status.dwServiceSpecificExitCode, status.dwCheckPoint, status.dwWaitHint);
    else printf("error %lu\n", GetLastError());
    if (handle) CloseServiceHandle(handle);
    if (manager) CloseServiceHandle(manager);
    return done ? 0 : 1;
}

static int squat(const char *name) {
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    SID_IDENTIFIER_AUTHORITY authority = {SECURITY_NT_AUTHORITY};
    PSID system = NULL;
    HANDLE mapping = NULL;
    if (AllocateAndInitializeSid(&authority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system) &&
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorOwner(&descriptor, system, FALSE) && SetSecurityDescriptorDacl(&descriptor, TRUE, NULL, FALSE))
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, 1052, name);
    printf(mapping ? "held\n" : "error %lu\n", GetLastError());
    fflush(stdout);
    while (mapping && getchar() != EOF) {
    }
    return mapping ? 0 : 1;
}

int main(int argc, char **argv) {
    if (argc == 3 && strcmp(argv[1], "squat") == 0) return squat(argv[2]);
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "service") == 0) return service(argv[2], argc == 4 ? argv[3] : NULL);
    if (argc == 2 && strcmp(argv[1], "run") == 0) return run();
    if (argc == 3 && strcmp(argv[1], "box") == 0) return box(argv[2]);
    if (argc == 3 && strcmp(argv[1], "version") == 0) return version(argv[2]);
    if (argc == 3 && strcmp(argv[1], "env") == 0) {
        char *value = variable(argv[2]);
        if (value) fputs(value, stdout);
        return value ? 0 : 1;
    }
    fputs("usage: test_helper run | box CAPTION | version FILE | env NAME | service NAME [CONTROL] | squat NAME\n", stderr);
    return 2;
}
