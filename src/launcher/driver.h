// The sequence of a start: initialise, run (in the foreground or as a
// service), tear down, and the exit code.
#pragma once

#include "launcher/launcher_state.h"
#include "core/messages.h"
#include "modes/service.h"
#include "platform/system.h"

namespace embark {

constexpr int exit_failure_code = -1;

bool initialise(platform::System& system, const Messages& messages, LauncherState& state);
int run_step(platform::System& system, const Messages& messages, LauncherState& state);
void teardown(LauncherState& state);

// The whole process: returns the exit code.
int run_launcher(platform::System& system);

} // namespace embark
