#include <condition_variable>
#include <mutex>

#include "platform/signal.h"

namespace embark::platform {

struct Signal::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

Signal::Signal() : state_(std::make_unique<State>()) {
}

Signal::~Signal() = default;

void Signal::set() {
    std::lock_guard lock(state_->mutex);
    state_->set = true;
    state_->changed.notify_all();
}

void Signal::wait() {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [this] { return state_->set; });
}

struct Lock::State {
    std::mutex mutex;
};

Lock::Lock() : state_(std::make_unique<State>()) {
}

Lock::~Lock() = default;

void Lock::acquire() {
    state_->mutex.lock();
}

void Lock::release() {
    state_->mutex.unlock();
}

} // namespace embark::platform
