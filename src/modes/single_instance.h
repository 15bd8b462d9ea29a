// Single-instance operation: a later start hands its arguments to the running
// instance and exits with its answer.
#pragma once

#include "core/messages.h"
#include "platform/system.h"

namespace embark {

struct SingleInstanceGate {
    bool active = false;
    bool first_instance = false;

    bool is_second_instance() const { return active && !first_instance; }
};

// Reads the gate's settings and sets whether it is active and this the first instance.
bool gate_check(platform::System& system, const Messages& messages, SingleInstanceGate& gate);
// A second instance's exit code: the first instance's answer.
int wait_for_first_instance(platform::System& system, SingleInstanceGate& gate);
void gate_teardown(SingleInstanceGate& gate);

} // namespace embark
