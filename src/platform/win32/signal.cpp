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

static_assert(sizeof(SRWLOCK) == sizeof(void*));

Lock::Lock() : state_(nullptr) {
    ::InitializeSRWLock(reinterpret_cast<SRWLOCK*>(&state_));
}

Lock::~Lock() = default;

void Lock::acquire() {
    ::AcquireSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&state_));
}

void Lock::release() {
    ::ReleaseSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&state_));
}

} // namespace embark::platform
