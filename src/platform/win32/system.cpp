#include "platform/win32/win32_system.h"

namespace embark::platform {

System& native_system() {
    static win32::Win32ProfileFiles profiles;
    static win32::Win32Environment environment;
    static win32::Win32FileSystem files;
    static win32::Win32Process process;
    static const win32::Win32CodePage code_page;
    static win32::Win32Resources resources;
    static win32::Win32Console console;
    static win32::Win32Libraries libraries;
    static win32::Win32Threads threads;
    static win32::Win32Memory memory;
    static win32::Win32Registry registry;
    static win32::Win32InstanceChannels instances;
    static System system{
        {'\\', ';', "Path", false},
        {"bin", "jvm.dll", "bin\\java.dll", false},
        profiles, environment, files, process, code_page, resources, console, libraries, threads, memory,
        registry, true, &instances};
    return system;
}

} // namespace embark::platform
