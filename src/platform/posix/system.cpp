#include "platform/posix/posix_system.h"

namespace embark::platform {

System& native_system() {
    static posix::PosixProfileFiles profiles;
    static posix::PosixEnvironment environment;
    static posix::PosixFileSystem files;
    static posix::PosixProcess process;
    static const posix::PosixCodePage code_page;
    static posix::PosixResources resources;
    static posix::PosixConsole console;
    static posix::PosixLibraries libraries;
    static posix::PosixThreads threads;
    static posix::PosixMemory memory;
    static posix::PosixRegistry registry("/usr/lib/jvm");
    static posix::PosixInstanceChannels instances;
    static System system{
        {'/', ':', "PATH", true},
        {"lib", "libjvm.so", "lib/libjava.so", true},
        profiles, environment, files, process, code_page, resources, console, libraries, threads, memory,
        registry, false, &instances};
    return system;
}

} // namespace embark::platform
