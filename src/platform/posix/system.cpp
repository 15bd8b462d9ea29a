#include "platform/posix/posix_system.h"

namespace embark::platform {

System& native_system() {
    static posix::PosixProfileFiles profiles;
    static NativeEnvironment environment;
    static NativeFileSystem files;
    static NativeProcess process;
    static const posix::PosixCodePage code_page;
    static NativeResources resources;
    static NativeConsole console;
    static NativeLibraries libraries;
    static NativeThreads threads;
    static NativeMemory memory;
    static posix::PosixRegistry registry("/usr/lib/jvm");
    static NativeInstanceChannels instances;
    static NativeServiceHost services;
    static System system{
        {'/', ':', "PATH", true},
        {"lib", "libjvm.so", "lib/libjava.so", true},
        profiles, environment, files, process, code_page, resources, console, libraries, threads, memory,
        registry, false, &instances, &services};
    return system;
}

} // namespace embark::platform
