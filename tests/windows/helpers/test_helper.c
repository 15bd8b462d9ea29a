/* A Windows-side helper for the Wine tests (never shipped). Subcommands:
 *   run          starts EMBARK_RAW_APPLICATION (may be empty) with the exact raw
 *                command line EMBARK_RAW_COMMAND_LINE, inheriting the standard
 *                handles; writes the full 32-bit exit code to EMBARK_RAW_EXIT_FILE
 *                when set, and exits with it. (`wine prog args` re-quotes.)
 *   cmdline      prints its own raw command line (proves `run`).
 *   env NAME     prints the variable as Windows programs see it, or nothing.
 *   profile Q O  for each line "hex(file) TAB hex(section) TAB hex(key)" of Q,
 *                writes hex(GetPrivateProfileStringA value) as one line of O.
 *   strings EXE FIRST LAST   prints "id TAB hex(utf-8 text)" for each id in the
 *                string table of EXE.
 *   resource EXE TYPE ID     writes the raw bytes of one resource (manifest: 24 1).
 *   version EXE KEY          prints a StringFileInfo value of the version resource.
 *   memory       prints the total physical memory and the free virtual address
 *                space in bytes, as the 64-bit memory status gives them.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int from_hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Decodes hex in place; returns the decoded length. */
static size_t unhex(char *text) {
    size_t out = 0;
    for (size_t i = 0; text[i] && text[i + 1]; i += 2) {
        int high = from_hex_digit(text[i]), low = from_hex_digit(text[i + 1]);
        if (high < 0 || low < 0) break;
        text[out++] = (char)(high * 16 + low);
    }
    text[out] = 0;
    return out;
}

static void write_hex(FILE *out, const unsigned char *bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) fprintf(out, "%02x", bytes[i]);
}

static char *read_environment(const char *name) {
    DWORD size = GetEnvironmentVariableA(name, NULL, 0);
    if (size == 0) return NULL;
    char *value = malloc(size);
    GetEnvironmentVariableA(name, value, size);
    return value;
}

static int run(void) {
    char *application = read_environment("EMBARK_RAW_APPLICATION");
    char *line = read_environment("EMBARK_RAW_COMMAND_LINE");
    char *exit_file = read_environment("EMBARK_RAW_EXIT_FILE");
    if (!line) {
        fprintf(stderr, "EMBARK_RAW_COMMAND_LINE is not set\n");
        return 2;
    }
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    if (!CreateProcessA(application && *application ? application : NULL, line, NULL, NULL, TRUE, 0,
                        NULL, NULL, &startup, &process)) {
        fprintf(stderr, "CreateProcessA failed: %lu\n", GetLastError());
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exit_file && *exit_file) {
        FILE *out = fopen(exit_file, "w");
        if (out) {
            fprintf(out, "%ld\n", (long)(LONG)code);
            fclose(out);
        }
    }
    return (int)code;
}

static int profile(const char *queries_path, const char *output_path) {
    FILE *queries = fopen(queries_path, "rb");
    FILE *out = fopen(output_path, "wb");
    if (!queries || !out) return 2;
    DWORD size = 8 * 1024 * 1024;
    char *value = malloc(size);
    static char line[1 << 16];
    while (fgets(line, sizeof line, queries)) {
        line[strcspn(line, "\r\n")] = 0;
        char *file = strtok(line, "\t");
        char *section = strtok(NULL, "\t");
        char *key = strtok(NULL, "\t");
        if (!file || !section || !key) continue;
        unhex(file);
        unhex(section);
        unhex(key);
        DWORD length = GetPrivateProfileStringA(section, key, "", value, size, file);
        write_hex(out, (unsigned char *)value, length);
        fputc('\n', out);
    }
    fclose(out);
    fclose(queries);
    return 0;
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

static int memory(void) {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 2;
    printf("%llu %llu\n", (unsigned long long)status.ullTotalPhys, (unsigned long long)status.ullAvailVirtual);
    return 0;
}

int main(int argc, char **argv) {
    if (argc >= 2 && strcmp(argv[1], "run") == 0) return run();
    if (argc >= 2 && strcmp(argv[1], "cmdline") == 0) {
        fputs(GetCommandLineA(), stdout);
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "env") == 0) {
        char *value = read_environment(argv[2]);
        if (value) fputs(value, stdout);
        return value ? 0 : 1;
    }
    if (argc >= 4 && strcmp(argv[1], "profile") == 0) return profile(argv[2], argv[3]);
    if (argc >= 5 && strcmp(argv[1], "strings") == 0) return strings(argv[2], atoi(argv[3]), atoi(argv[4]));
    if (argc >= 5 && strcmp(argv[1], "resource") == 0) return resource(argv[2], atoi(argv[3]), atoi(argv[4]));
    if (argc >= 4 && strcmp(argv[1], "version") == 0) return version(argv[2], argv[3]);
    if (argc >= 2 && strcmp(argv[1], "memory") == 0) return memory();
    fprintf(stderr, "usage: test_helper run|cmdline|env|profile|strings|resource|version ...\n");
    return 2;
}
