#include "vm/java_vm.h"

namespace embark {

// Seams: the virtual machine hosting arrives with the next step. Until then no
// runtime is ever found, so none of these is reached on a real start.
void prepare_environment(platform::System&, const Messages&, LauncherState&) {}

bool load_runtime_library(platform::System&, const Messages&, LauncherState&) {
    return false;
}

bool assemble_options(platform::System&, const Messages&, LauncherState&) {
    return false;
}

int run_java_thread(platform::System&, const Messages&, LauncherState&) {
    return -1;
}

void destroy_java_vm(LauncherState&) {}

} // namespace embark
