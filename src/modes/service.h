// Windows service operation: the service control manager runs the application.
#pragma once

#include <string>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

struct ServiceContext {
    LauncherState* state = nullptr;
    std::string service_name;
};

// The service callbacks receive no context, so the process publishes its one here.
void publish_service_context(ServiceContext* context);

bool prepare_service(platform::System& system, const Messages& messages, LauncherState& state,
                     ServiceContext& context);
int run_service_dispatcher(platform::System& system, ServiceContext& context);

} // namespace embark
