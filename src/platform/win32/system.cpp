#include "platform/win32/win32_system.h"

namespace embark::platform {

System& native_system() {
    static win32::Win32ProfileFiles profiles;
    static NativeEnvironment environment;
    static NativeFileSystem files;
    static NativeProcess process;
    static const win32::Win32CodePage code_page;
    static NativeResources resources;
    static NativeConsole console;
    static NativeLibraries libraries;
    static NativeThreads threads;
    static NativeMemory memory;
    static win32::Win32Registry registry;
    static NativeInstanceChannels instances;
    static NativeServiceHost services;
    static System system{
        {'\\', ';', "Path", false},
        {"bin", "jvm.dll", "bin\\java.dll", false},
        profiles, environment, files, process, code_page, resources, console, libraries, threads, memory,
        registry, true, &instances, &services};
    return system;
}

} // namespace embark::platform
