// Single-instance operation: a later start hands its arguments to the running
// instance and exits with its answer.
#pragma once

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

// Reads the gate's settings and sets single-instance active and first instance.
bool gate_check(platform::System& system, const Messages& messages, LauncherState& state);
// A second instance's exit code: the first instance's answer.
int wait_for_first_instance(platform::System& system, LauncherState& state);
void gate_teardown(LauncherState& state);

} // namespace embark
