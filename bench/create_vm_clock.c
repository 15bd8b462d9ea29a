/*
 * A stand-in for the Java runtime's VM library (libjvm.so) that records when
 * the launcher calls JNI_CreateJavaVM. bench/run.py lays it out as
 * <runtime>/lib/server/libjvm.so and names <runtime> in the settings' "JRE Path".
 *
 * JNI_CreateJavaVM reads CLOCK_MONOTONIC first thing, writes the nanoseconds
 * as one decimal line to the file named by EMBARK_BENCH_CLOCK_FILE (nothing
 * when it is unset) and returns -1: the launcher reports that the virtual
 * machine could not be created and exits with 255. Together with exec_clock,
 * which records the same clock just before it executes the launcher, this
 * gives the time from exec to the call that hands over to the runtime.
 *
 * JNI_GetDefaultJavaVMInitArgs answers 0 and leaves the record as it is (the
 * launcher then picks the thread's default stack size).
 *
 * The JNI types are spelt out (jint is int) so that no jni.h is needed.
 */
#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#define EXPORTED __attribute__((visibility("default")))

static void write_nanoseconds(const char* file_name, const struct timespec* now) {
    char line[32];
    int length = snprintf(line, sizeof line, "%lld\n",
                          (long long)now->tv_sec * 1000000000LL + (long long)now->tv_nsec);
    int fd = open(file_name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    if (write(fd, line, (size_t)length) != length) {
        /* The reader finds no complete line and counts the run as failed. */
    }
    close(fd);
}

EXPORTED int JNI_CreateJavaVM(void** vm, void** env, void* arguments) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    (void)vm;
    (void)env;
    (void)arguments;
    const char* file_name = getenv("EMBARK_BENCH_CLOCK_FILE");
    if (file_name != NULL && *file_name != '\0') {
        write_nanoseconds(file_name, &now);
    }
    return -1; /* JNI_ERR */
}

EXPORTED int JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    (void)arguments;
    return 0;
}
