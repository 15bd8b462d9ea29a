#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

namespace {

// As the header of this executable's image in memory names it.
MachineType own_machine() {
    auto* image = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
    auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    return {MachineType::Format::pe, headers->FileHeader.Machine};
}

} // namespace

System& native_system(std::span<const StringTableEntry> string_table) {
    static win32::Win32ProfileFiles profiles;
    static NativeEnvironment environment;
    static NativeFileSystem files;
    static NativeProcess process;
    static const win32::Win32CodePage code_page;
    static NativeResources resources(string_table);
    static NativeConsole console;
    static NativeLibraries libraries;
    static NativeThreads threads;
    static NativeMemory memory;
    static win32::Win32Registry registry;
    static NativeInstanceChannels instances;
    static NativeServiceHost services;
    static NativeCacheFiles cache_files;
    static System system{{'\\', ';', "Path", ".exe"},
                         own_machine(),
                         profiles,
                         environment,
                         files,
                         process,
                         code_page,
                         resources,
                         console,
                         libraries,
                         threads,
                         memory,
                         registry,
                         &instances,
                         &services,
                         &cache_files};
    return system;
}

SystemError last_system_error() {
    return {::GetLastError()};
}

} // namespace embark::platform
