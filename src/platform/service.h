// Service operation. On Windows the service control manager runs the process
// as a service; on POSIX the process stands in for it in the foreground, as a
// systemd service runs, and a stop request is SIGTERM, SIGINT or SIGHUP.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace embark::platform {

// What the service tells the system of itself.
enum class ServiceState {
    running, // and taking stop requests
    stop_pending, // a stop was asked for and is under way
    stopped, // the application has ended
    failed, // stopped, as a start that failed
};

enum class ServiceControl {
    stop, // a stop request, or the system shutting down
    other, // anything else: the service reports its state again
};

class ServiceHost {
public:
    virtual ~ServiceHost() = default;
    struct Callbacks {
        // On a thread of its own: the service's arguments, its name first.
        std::function<void(std::vector<std::string>)> main;
        std::function<void(ServiceControl)> control; // each control request, on the dispatching thread
    };
    enum class Dispatch { served, not_a_service, failed };
    // Serves the one service of this process under the name; returns once its
    // main has returned. not_a_service when the process was not started by
    // the service control manager.
    virtual Dispatch dispatch(const std::string& service_name, const Callbacks& callbacks) = 0;
    // From the service's main, before its first report; false when refused.
    virtual bool register_control_handler(const std::string& service_name) = 0;
    // `wait_hint_ms`: how long a pending state is expected to last.
    virtual bool report(ServiceState state, uint32_t wait_hint_ms = 0) = 0;
    // The virtual machine exists (on POSIX: tell systemd, and take the stop
    // signals back from the machine, which claimed them while it was made).
    virtual void machine_ready() = 0;
};

} // namespace embark::platform
