// The published Java Native Interface as the launcher uses it: the JDK's
// jni.h, the two exported invocation functions, and the JDK 1.1 argument
// record through which a runtime reports its default Java stack size.
#pragma once

#include <jni.h>

namespace embark::jni {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* arguments);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void* arguments);

// The JDK 1.1 initialisation record; only `version` and `javaStackSize` are used.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(void* file, const char* format, void* arguments);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

constexpr jint version_1_1 = 0x00010001;
constexpr jint version_1_2 = 0x00010002;

} // namespace embark::jni
