// The sequence of a start: initialise, run (in the foreground or as a
// service), tear down, and the exit code.
#pragma once

#include "launcher/launcher_state.h"
#include "core/messages.h"
#include "modes/service.h"
#include "platform/system.h"
#include "ui/missing_runtime_window.h"

namespace embark {

constexpr int exit_failure_code = -1;

bool initialise(platform::System& system, MissingRuntimeWindows& windows, const Messages& messages,
                LauncherState& state);
int run_step(platform::System& system, const Messages& messages, LauncherState& state);
void teardown(LauncherState& state);

// The whole process: returns the exit code. `windows` shows the
// missing-runtime dialog where the system has windows.
int run_launcher(platform::System& system, MissingRuntimeWindows& windows);

} // namespace embark
