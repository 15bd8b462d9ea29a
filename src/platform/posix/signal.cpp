#include <condition_variable>
#include <mutex>

#include "platform/signal.h"

namespace embark::platform {

namespace {

struct SignalState {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

SignalState& state_of(void* state) {
    return *static_cast<SignalState*>(state);
}

} // namespace

Signal::Signal() : state_(new SignalState) {}

Signal::~Signal() {
    delete &state_of(state_);
}

void Signal::set() {
    SignalState& state = state_of(state_);
    std::lock_guard lock(state.mutex);
    state.set = true;
    state.changed.notify_all();
}

void Signal::wait() {
    SignalState& state = state_of(state_);
    std::unique_lock lock(state.mutex);
    state.changed.wait(lock, [&] { return state.set; });
}

Lock::Lock() : state_(new std::mutex) {}

Lock::~Lock() {
    delete static_cast<std::mutex*>(state_);
}

void Lock::acquire() {
    static_cast<std::mutex*>(state_)->lock();
}

void Lock::release() {
    static_cast<std::mutex*>(state_)->unlock();
}

} // namespace embark::platform
