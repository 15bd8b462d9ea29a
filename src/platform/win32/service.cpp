#include <windows.h>

#include "platform/native_system.h"

namespace embark::platform {

namespace {

// The dispatcher's callbacks carry no context: the one service of the process
// is reached through these while the dispatcher runs.
const ServiceHost::Callbacks* active_callbacks = nullptr;
SERVICE_STATUS_HANDLE status_handle = nullptr;
// The record the manager last had: each report changes what its state changes.
SERVICE_STATUS reported{SERVICE_WIN32_OWN_PROCESS, 0, 0, NO_ERROR, 0, 0, 0};
constexpr DWORD failed_start_code = 1; // the service-specific code of a start that failed

void WINAPI service_main(DWORD count, char** vector) {
    std::vector<std::string> arguments;
    for (DWORD i = 0; i < count; ++i) {
        arguments.emplace_back(vector[i] != nullptr ? vector[i] : "");
    }
    // A copy: the dispatcher may return, and its callbacks go, once this
    // service has reported itself stopped, while the copy is still returning.
    auto main = active_callbacks->main;
    main(std::move(arguments));
}

void WINAPI control_handler(DWORD control) {
    bool stop = control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN;
    active_callbacks->control(stop ? ServiceControl::stop : ServiceControl::other);
}

} // namespace

ServiceHost::Dispatch NativeServiceHost::dispatch(const std::string& service_name,
                                                  const Callbacks& callbacks) {
    active_callbacks = &callbacks;
    std::string name = service_name; // the table takes a writable string
    SERVICE_TABLE_ENTRYA table[] = {{name.data(), service_main}, {nullptr, nullptr}};
    BOOL served = ::StartServiceCtrlDispatcherA(table);
    DWORD error = ::GetLastError();
    active_callbacks = nullptr;
    if (served) {
        return Dispatch::served;
    }
    return error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT ? Dispatch::not_a_service : Dispatch::failed;
}

bool NativeServiceHost::register_control_handler(const std::string& service_name) {
    status_handle = ::RegisterServiceCtrlHandlerA(service_name.c_str(), control_handler);
    return status_handle != nullptr;
}

bool NativeServiceHost::report(ServiceState state, uint32_t wait_hint_ms) {
    switch (state) {
    case ServiceState::running:
        reported.dwCurrentState = SERVICE_RUNNING;
        reported.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
        break;
    case ServiceState::stop_pending:
        reported.dwCurrentState = SERVICE_STOP_PENDING;
        break;
    case ServiceState::stopped:
        reported.dwCurrentState = SERVICE_STOPPED;
        break;
    case ServiceState::failed: // the manager and its log show the failure's code
        reported.dwCurrentState = SERVICE_STOPPED;
        reported.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        reported.dwServiceSpecificExitCode = failed_start_code;
        break;
    }
    reported.dwWaitHint = wait_hint_ms;
    return ::SetServiceStatus(status_handle, &reported) != FALSE;
}

void NativeServiceHost::machine_ready() {
    // The service reported itself running already.
}

} // namespace embark::platform
