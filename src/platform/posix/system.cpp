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
    static System system{{'/', true}, profiles, environment, files, process, code_page, resources, console};
    return system;
}

} // namespace embark::platform
