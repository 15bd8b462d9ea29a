#include "modes/single_instance.h"

namespace embark {

// Seam: single-instance operation arrives with the process modes. Until then
// the gate stays inactive and every start is a first start.
bool gate_check(platform::System&, const Messages&, SingleInstanceGate& gate) {
    gate.active = false;
    gate.first_instance = false;
    return true;
}

int wait_for_first_instance(platform::System&, SingleInstanceGate&) {
    return -1;
}

void gate_teardown(SingleInstanceGate&) {}

} // namespace embark
