// Hosting the Java virtual machine: environment, library, options, the Java
// thread and the machine's end.
#pragma once

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

// JX_JVM_PATH, JX_JVM_HOME, the system path and the library path option.
void prepare_environment(platform::System& system, const Messages& messages, LauncherState& state);
bool load_runtime_library(platform::System& system, const Messages& messages, LauncherState& state);
// Class path, virtual machine parameters and the output and error files.
bool assemble_options(platform::System& system, const Messages& messages, LauncherState& state);
// Creates the virtual machine and calls main on a thread of its own; 0 when main returned.
int run_java_thread(platform::System& system, const Messages& messages, LauncherState& state);
// Waits for the application's non-daemon threads, then destroys the machine.
void destroy_java_vm(LauncherState& state);

} // namespace embark
