// Where a Java runtime keeps its virtual machine library, relative to its
// home: as the runtimes built for this build's kind of executable lay it out.
#pragma once

#include "platform/paths.h"

namespace embark {

struct RuntimeLayout {
    const char* library_folder; // "bin": bin\server\jvm.dll
    const char* library_file; // "jvm.dll"
    const char* private_marker; // "bin\\java.dll": a runtime folder beside the executable
    // The folder to put on the search path for the runtime: the library's
    // dependencies on Windows (two components above jvm.dll); on POSIX,
    // where libraries are not found through the search path, the runtime's
    // tools in its home's bin folder.
    bool search_path_entry_is_home_bin;
};

// Windows runtimes (PE) keep bin\<type>\jvm.dll; the others lib/<type>/libjvm.so.
inline RuntimeLayout runtime_layout_for(platform::MachineType machine) {
    if (machine.format == platform::MachineType::Format::elf) {
        return {"lib", "libjvm.so", "lib/libjava.so", true};
    }
    return {"bin", "jvm.dll", "bin\\java.dll", false};
}

} // namespace embark
