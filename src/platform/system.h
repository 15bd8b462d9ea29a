// The operating system as the launcher sees it: one small interface per
// concern, each in a header of its own. Portable logic only ever talks to
// these; the win32 and posix implementations live in their own folders, and
// tests pass fakes.
#pragma once

#include <span>

#include "platform/cache_files.h"
#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/instances.h"
#include "platform/libraries.h"
#include "platform/memory.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/profile_files.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/service.h"
#include "platform/system_error.h"
#include "platform/threads.h"

namespace embark::platform {

struct System {
    PathConventions paths;
    MachineType machine; // of this build: the only one whose libraries it can load
    ProfileFiles& profiles;
    Environment& environment;
    FileSystem& files;
    Process& process;
    const CodePage& code_page;
    Resources& resources;
    Console& console;
    Libraries& libraries;
    Threads& threads;
    Memory& memory;
    Registry& registry;
    // Where the system has no single-instance channel (the in-memory
    // platforms), every start runs on its own.
    InstanceChannels* instances = nullptr;
    // Where the system has none (the in-memory platforms), a service start fails.
    ServiceHost* services = nullptr;
    // Where the system has none (the in-memory platforms), no start uses a startup cache.
    CacheFiles* cache_files = nullptr;
};

// The real operating system of this build. An executable without a resource
// section (POSIX) hands over its string table, which the Windows executable
// carries in its resources instead.
System& native_system(std::span<const StringTableEntry> string_table = {});

} // namespace embark::platform
