#include <cerrno>
#include <dlfcn.h>
#include <link.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

namespace {

// As the ELF header of this executable, mapped at its base, names it; the
// number 0 when it cannot be read.
MachineType own_machine() {
    static const char inside_the_executable = 0;
    Dl_info found;
    if (::dladdr(&inside_the_executable, &found) == 0 || found.dli_fbase == nullptr) {
        return {MachineType::Format::elf, 0};
    }
    return {MachineType::Format::elf, static_cast<const ElfW(Ehdr)*>(found.dli_fbase)->e_machine};
}

} // namespace

System& native_system(std::span<const StringTableEntry> string_table) {
    static posix::PosixProfileFiles profiles;
    static NativeEnvironment environment;
    static NativeFileSystem files;
    static NativeProcess process;
    static const posix::PosixCodePage code_page;
    static NativeResources resources(string_table);
    static NativeConsole console;
    static NativeLibraries libraries;
    static NativeThreads threads;
    static NativeMemory memory;
    static posix::PosixRegistry registry;
    static NativeInstanceChannels instances;
    static NativeServiceHost services;
    static NativeCacheFiles cache_files;
    static System system{{'/', ':', "PATH", ""},
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
    return {static_cast<uint32_t>(errno)};
}

} // namespace embark::platform
