#include "modes/service.h"

namespace embark {

namespace {
ServiceContext* published_context = nullptr;
}

void publish_service_context(ServiceContext* context) {
    published_context = context;
}

// Seam: service operation arrives with the process modes. Until then a service
// start cannot be prepared and ends with -1.
bool prepare_service(platform::System&, const Messages&, ServiceContext&) {
    return false;
}

int run_service_dispatcher(platform::System&, ServiceContext&) {
    return 0;
}

} // namespace embark
