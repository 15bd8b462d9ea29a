/* A Windows-side helper of the Wine tests. `run` starts EMBARK_RAW_APPLICATION
 * with the exact command line EMBARK_RAW_COMMAND_LINE (`wine prog args` would
 * re-quote it) and writes its full 32-bit exit code to EMBARK_RAW_EXIT_FILE;
 * `env NAME` prints a variable as Windows programs see it (exit 1: unset);
 * `strings`, `resource` and `version` read the resources of an executable. */
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

static void write_hex(FILE *out, const unsigned char *bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) fprintf(out, "%02x", bytes[i]);
}

static int strings(const char *exe, int first, int last) {
    HMODULE module = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 2;
    for (int id = first; id <= last; ++id) {
        const wchar_t *text = NULL;
        int length = LoadStringW(module, id, (wchar_t *)&text, 0);
        if (length <= 0) continue;
        int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
        char *utf8 = malloc(bytes + 1);
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, bytes, NULL, NULL);
        printf("%d\t", id);
        write_hex(stdout, (unsigned char *)utf8, bytes);
        printf("\n");
        free(utf8);
    }
    FreeLibrary(module);
    return 0;
}

static int resource(const char *exe, int type, int id) {
    HMODULE module = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 2;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (!found) return 3;
    HGLOBAL loaded = LoadResource(module, found);
    DWORD size = SizeofResource(module, found);
    fwrite(LockResource(loaded), 1, size, stdout);
    FreeLibrary(module);
    return 0;
}

static int version(const char *exe, const char *key) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe, &ignored);
    if (size == 0) return 2;
    void *data = malloc(size);
    if (!GetFileVersionInfoA(exe, 0, size, data)) return 3;
    char query[256];
    snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", key);
    char *value = NULL;
    UINT length = 0;
    if (!VerQueryValueA(data, query, (void **)&value, &length)) return 4;
    printf("%s\n", value);
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 2 && strcmp(argv[1], "run") == 0) return run();
    if (argc == 3 && strcmp(argv[1], "env") == 0) {
        char *value = variable(argv[2]);
        if (value) fputs(value, stdout);
        return value ? 0 : 1;
    }
    if (argc >= 5 && strcmp(argv[1], "strings") == 0) return strings(argv[2], atoi(argv[3]), atoi(argv[4]));
    if (argc >= 5 && strcmp(argv[1], "resource") == 0) return resource(argv[2], atoi(argv[3]), atoi(argv[4]));
    if (argc >= 4 && strcmp(argv[1], "version") == 0) return version(argv[2], argv[3]);
    fputs("usage: test_helper run | env NAME | strings EXE FIRST LAST | resource EXE TYPE ID | version EXE KEY\n",
          stderr);
    return 2;
}
