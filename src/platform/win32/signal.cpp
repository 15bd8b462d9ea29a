#include <windows.h>

#include "platform/signal.h"

namespace embark::platform {

Signal::Signal() : state_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Signal::~Signal() {
    if (state_ != nullptr) {
        ::CloseHandle(state_);
    }
}

void Signal::set() {
    ::SetEvent(state_);
}

void Signal::wait() {
    ::WaitForSingleObject(state_, INFINITE);
}

} // namespace embark::platform
