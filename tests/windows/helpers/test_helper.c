/* A Windows-side helper of the Wine tests. `run` starts EMBARK_RAW_APPLICATION
 * with the exact command line EMBARK_RAW_COMMAND_LINE (`wine prog args` would
 * re-quote it) and writes its full 32-bit exit code to EMBARK_RAW_EXIT_FILE;
 * `env NAME` prints a variable as Windows programs see it (exit 1: unset);
 * `service NAME [CONTROL]` sends the control code to the installed service, if
 * given, and prints its status record's fields after the type (exit 1: failed). */
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
    startup.cb = sizeof startup;
    if (!line || !CreateProcessA(application, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "cannot start %s: %lu\n", line ? line : "(no EMBARK_RAW_COMMAND_LINE)", GetLastError());
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    FILE *out = exit_file ? fopen(exit_file, "w") : NULL;
    if (out) {
        fprintf(out, "%ld\n", (long)(LONG)code);
        fclose(out);
    }
    return (int)code;
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

int main(int argc, char **argv) {
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "service") == 0) return service(argv[2], argc == 4 ? argv[3] : NULL);
    if (argc == 2 && strcmp(argv[1], "run") == 0) return run();
    if (argc == 3 && strcmp(argv[1], "env") == 0) {
        char *value = variable(argv[2]);
        if (value) fputs(value, stdout);
        return value ? 0 : 1;
    }
    fputs("usage: test_helper run | env NAME | service NAME [CONTROL]\n", stderr);
    return 2;
}
