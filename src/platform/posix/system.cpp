#include <dlfcn.h>
#include <link.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

namespace {

// As the ELF header of this executable, mapped at its base, names it.
MachineType own_machine() {
    static const char inside_the_executable = 0;
    Dl_info found;
    if (::dladdr(&inside_the_executable, &found) == 0 || found.dli_fbase == nullptr) {
        return {};
    }
    return {MachineType::Format::elf, static_cast<const ElfW(Ehdr)*>(found.dli_fbase)->e_machine};
}

} // namespace

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
        {"lib", "libjvm.so", "lib/libjava.so", true, own_machine()},
        profiles, environment, files, process, code_page, resources, console, libraries, threads, memory,
        registry, false, &instances, &services};
    return system;
}

} // namespace embark::platform
