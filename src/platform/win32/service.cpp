#include <windows.h>

#include "platform/native_system.h"

namespace embark::platform {

namespace {

// The dispatcher's callbacks carry no context: the one service of the process
// is reached through these while the dispatcher runs.
const ServiceHost::Callbacks* active_callbacks = nullptr;
SERVICE_STATUS_HANDLE status_handle = nullptr;

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
    active_callbacks->control(control);
}

} // namespace

ServiceHost::Dispatch NativeServiceHost::dispatch(const std::string& service_name, const Callbacks& callbacks) {
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

bool NativeServiceHost::report(const ServiceStatus& status) {
    SERVICE_STATUS record{status.service_type,          status.current_state,
                          status.controls_accepted,     status.win32_exit_code,
                          status.service_specific_exit_code, status.check_point,
                          status.wait_hint};
    return ::SetServiceStatus(status_handle, &record) != FALSE;
}

void NativeServiceHost::machine_ready() {
    // The service reported itself running already.
}

} // namespace embark::platform
