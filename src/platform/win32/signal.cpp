#include <windows.h>

#include "platform/signal.h"
#include "platform/win32/unique_handle.h"

namespace embark::platform {

struct Signal::State {
    win32::UniqueHandle event{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

Signal::Signal() : state_(std::make_unique<State>()) {
}

Signal::~Signal() = default;

void Signal::set() {
    ::SetEvent(state_->event.get());
}

void Signal::wait() {
    ::WaitForSingleObject(state_->event.get(), INFINITE);
}

struct Lock::State {
    SRWLOCK lock = SRWLOCK_INIT;
};

Lock::Lock() : state_(std::make_unique<State>()) {
}

Lock::~Lock() = default;

void Lock::acquire() {
    ::AcquireSRWLockExclusive(&state_->lock);
}

void Lock::release() {
    ::ReleaseSRWLockExclusive(&state_->lock);
}

} // namespace embark::platform
