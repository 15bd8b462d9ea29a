/*
 * Records CLOCK_MONOTONIC, then executes a program in its own place:
 *
 *   EMBARK_BENCH_EXEC_FILE=<file> exec_clock <program> [arguments...]
 *
 * The nanoseconds go as one decimal line to <file>. The file is opened before
 * the clock is read (and closed by the exec itself), so the recorded span
 * holds no more of exec_clock than one write: what follows is the exec of
 * <program>, its dynamic loading and its own start. The program is run as
 * named (a path, not searched for in PATH). Exits with 127 when the exec fails.
 */
#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: EMBARK_BENCH_EXEC_FILE=<file> exec_clock <program> [arguments...]\n");
        return 2;
    }
    const char* file_name = getenv("EMBARK_BENCH_EXEC_FILE");
    int fd = -1;
    if (file_name != NULL && *file_name != '\0') {
        fd = open(file_name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            perror(file_name);
            return 127;
        }
    }

    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (fd >= 0) {
        char line[32];
        int length = snprintf(line, sizeof line, "%lld\n",
                              (long long)now.tv_sec * 1000000000LL + (long long)now.tv_nsec);
        if (write(fd, line, (size_t)length) != length) {
            perror(file_name);
            return 127;
        }
    }

    execv(argv[1], argv + 1);
    perror(argv[1]);
    return 127;
}
