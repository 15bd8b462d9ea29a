#include <climits>
#include <memory>
#include <pthread.h>

#include "platform/posix/posix_system.h"

namespace embark::platform {

namespace {

struct ThreadStart {
    Threads::Body body;
    void* argument;
    uint32_t result;
};

void* thread_entry(void* start) {
    auto* thread = static_cast<ThreadStart*>(start);
    thread->result = thread->body(thread->argument);
    return nullptr;
}

void* detached_entry(void* start) {
    // Freed before the body runs, which may never return.
    ThreadStart thread = *std::unique_ptr<ThreadStart>(static_cast<ThreadStart*>(start));
    thread.body(thread.argument);
    return nullptr;
}

// Owns the attribute record for the life of the thread's creation.
class ThreadAttributes {
public:
    ThreadAttributes() : valid_(::pthread_attr_init(&attributes_) == 0) {}
    ~ThreadAttributes() {
        if (valid_) {
            ::pthread_attr_destroy(&attributes_);
        }
    }
    ThreadAttributes(const ThreadAttributes&) = delete;
    ThreadAttributes& operator=(const ThreadAttributes&) = delete;
    pthread_attr_t* get() { return valid_ ? &attributes_ : nullptr; }

private:
    pthread_attr_t attributes_;
    bool valid_;
};

} // namespace

std::optional<uint32_t> NativeThreads::run_and_wait(uint32_t stack_size, Body body, void* argument) {
    ThreadAttributes attributes;
    if (stack_size != 0 && attributes.get() != nullptr) {
        // pthread refuses a size below its least: that least is taken instead.
        size_t size = stack_size < PTHREAD_STACK_MIN ? PTHREAD_STACK_MIN : stack_size;
        ::pthread_attr_setstacksize(attributes.get(), size);
    }
    ThreadStart start{body, argument, 1};
    pthread_t thread;
    if (::pthread_create(&thread, attributes.get(), thread_entry, &start) != 0) {
        return std::nullopt;
    }
    ::pthread_join(thread, nullptr);
    return start.result;
}

bool NativeThreads::start(Body body, void* argument) {
    auto thread_start = std::make_unique<ThreadStart>(ThreadStart{body, argument, 1});
    pthread_t thread;
    if (::pthread_create(&thread, nullptr, detached_entry, thread_start.get()) != 0) {
        return false;
    }
    thread_start.release(); // the thread's own now
    ::pthread_detach(thread);
    return true;
}

} // namespace embark::platform
