// Service operation: the service control manager runs the application (on
// POSIX the process runs it in the foreground, as systemd does), and a stop
// request calls the main class's static stop().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "platform/system.h"
#include "vm/java_vm.h"

namespace embark {

struct ServiceContext {
    // The start's run step, on the service's own thread, given the service's
    // arguments to put after the command line's. 0 once main has run and the
    // machine is gone; anything else is a failed start. Empty when the start
    // failed before the service was served: the service only reports that.
    std::function<int(const std::vector<std::string>&)> run_step;
    std::shared_ptr<MachinePresence> machine; // what a stop request waits for
    std::string main_class; // whose static stop() a stop request calls
    std::string service_name; // the executable's file name, extension and all
};

// The part of the path after its last separator; the whole path without one.
std::string service_name_for(std::string_view executable_path, char separator,
                             const platform::CodePage& code_page);

// Forms the service name; false (reported) when the executable path cannot be had.
bool prepare_service(platform::System& system, const Messages& messages, ServiceContext& context);
// Serves the service until the application has ended: 0 when main ran, -1
// when the start failed or the process was not started as a service (said
// on the console unless the start had failed, and said why, already).
int run_service_dispatcher(platform::System& system, const Messages& messages, ServiceContext& context);

} // namespace embark
