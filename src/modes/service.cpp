#include "modes/service.h"

#include <atomic>

#include "core/ansi_text.h"
#include "core/executable.h"
#include "platform/signal.h"

namespace embark {

namespace {

using platform::ServiceState;

constexpr uint32_t stop_wait_hint_ms = 3000;

// The stop thread: waits for the machine, then calls stop(); nothing when the
// machine will never exist or is gone. A missing stop() or one that throws is
// described on the Java error stream.
struct StopRequest {
    std::shared_ptr<MachinePresence> machine;
    std::string main_class;
};

uint32_t call_stop(void* argument) {
    std::unique_ptr<StopRequest> request(static_cast<StopRequest*>(argument));
    request->machine->run_attached([&](JNIEnv* env) {
        LocalRef<jclass> type(env, find_class_named(env, request->main_class));
        if (type) {
            jmethodID stop = env->GetStaticMethodID(type.get(), "stop", "()V");
            if (stop != nullptr) {
                env->CallStaticVoidMethodA(type.get(), stop, nullptr);
            }
        }
        describe_pending_exception(env);
    });
    return 1;
}

// The one service of the process. Its status record is written by the
// service's main and by the control handler, on two threads: under a lock.
class ServiceRun {
public:
    ServiceRun(platform::System& system, platform::ServiceHost& host, ServiceContext& context,
               const Trace& trace)
        : threads_(system.threads), host_(host), context_(context), trace_(trace) {}

    void main(const std::vector<std::string>& arguments) {
        if (!host_.register_control_handler(context_.service_name)) {
            return;
        }
        if (!context_.run_step) {
            // Failed straight from start pending is how the manager and its
            // log show a start that failed.
            set_state(ServiceState::failed);
            return;
        }
        if (!set_state(ServiceState::running)) {
            return;
        }
        context_.machine->when_created([this] { host_.machine_ready(); });
        bool ran = context_.run_step(arguments) == 0;
        application_ran_.store(ran);
        set_state(ran ? ServiceState::stopped : ServiceState::failed);
    }

    void control(platform::ServiceControl code) {
        platform::Locked locked(lock_);
        if (code != platform::ServiceControl::stop || ended()) {
            host_.report(state_, wait_hint_);
            return;
        }
        trace_.line("service: stop requested, %s.stop() is called once the machine exists",
                    {context_.main_class});
        state_ = ServiceState::stop_pending;
        wait_hint_ = stop_wait_hint_ms;
        if (host_.report(state_, wait_hint_)) {
            auto* request = new StopRequest{context_.machine, context_.main_class};
            if (!threads_.start(call_stop, request)) {
                delete request;
            }
        }
    }

    bool application_ran() const { return application_ran_.load(); }

private:
    bool set_state(ServiceState state) {
        platform::Locked locked(lock_);
        state_ = state;
        return host_.report(state_, wait_hint_);
    }
    bool ended() const { return state_ == ServiceState::stopped || state_ == ServiceState::failed; }

    platform::Threads& threads_;
    platform::ServiceHost& host_;
    ServiceContext& context_;
    const Trace trace_; // a copy: the callbacks may outlive the start's messages
    platform::Lock lock_;
    ServiceState state_ = ServiceState::running; // reported first
    uint32_t wait_hint_ = 0;
    std::atomic<bool> application_ran_{false};
};

} // namespace

std::string service_name_for(std::string_view executable_path, char separator,
                             const platform::CodePage& code_page) {
    size_t last = find_last_char(executable_path, separator, code_page);
    return std::string(last == std::string_view::npos ? executable_path : executable_path.substr(last + 1));
}

bool prepare_service(platform::System& system, const Messages& messages, ServiceContext& context) {
    std::string executable;
    if (!executable_path(system, messages, executable)) {
        return false;
    }
    context.service_name = service_name_for(executable, system.paths.separator, system.code_page);
    return true;
}

int run_service_dispatcher(platform::System& system, const Messages& messages, ServiceContext& context) {
    if (system.services == nullptr) {
        return -1;
    }
    // Shared with the callbacks: the service's main may still be returning
    // when the dispatcher has seen the service stop.
    auto run = std::make_shared<ServiceRun>(system, *system.services, context, messages.trace());
    platform::ServiceHost::Callbacks callbacks{
        [run](std::vector<std::string> arguments) { run->main(arguments); },
        [run](platform::ServiceControl code) { run->control(code); }};
    switch (system.services->dispatch(context.service_name, callbacks)) {
    case platform::ServiceHost::Dispatch::served:
        return run->application_ran() ? 0 : -1;
    case platform::ServiceHost::Dispatch::not_a_service:
        if (context.run_step) { // a failed start has said why already
            messages.print_error(messages.load(MessageId::not_started_as_service));
        }
        break;
    case platform::ServiceHost::Dispatch::failed:
        break;
    }
    return -1;
}

} // namespace embark
