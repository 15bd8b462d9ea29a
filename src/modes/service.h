// Windows service operation: the service control manager runs the application.
#pragma once

#include <functional>
#include <string>

#include "core/messages.h"
#include "platform/system.h"

namespace embark {

struct ServiceContext {
    std::function<int()> run_step; // the start's run step, on the service's own thread
    std::string service_name;
};

// The service callbacks receive no context, so the process publishes its one here.
void publish_service_context(ServiceContext* context);

bool prepare_service(platform::System& system, const Messages& messages, ServiceContext& context);
int run_service_dispatcher(platform::System& system, ServiceContext& context);

} // namespace embark
