#include <windows.h>

#include <memory>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace embark::platform {

namespace {

struct ThreadStart {
    Threads::Body body;
    void* argument;
};

DWORD WINAPI thread_entry(void* start) {
    auto* thread = static_cast<ThreadStart*>(start);
    return thread->body(thread->argument);
}

DWORD WINAPI detached_entry(void* start) {
    // Freed before the body runs, which may never return.
    ThreadStart thread = *std::unique_ptr<ThreadStart>(static_cast<ThreadStart*>(start));
    return thread.body(thread.argument);
}

} // namespace

std::optional<uint32_t> NativeThreads::run_and_wait(uint32_t stack_size, Body body, void* argument) {
    ThreadStart start{body, argument};
    win32::UniqueHandle thread(::CreateThread(nullptr, stack_size, thread_entry, &start, 0, nullptr));
    if (!thread) {
        return std::nullopt;
    }
    ::WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeThread(thread.get(), &code);
    return code;
}

bool NativeThreads::start(Body body, void* argument) {
    auto thread_start = std::make_unique<ThreadStart>(ThreadStart{body, argument});
    win32::UniqueHandle thread(::CreateThread(nullptr, 0, detached_entry, thread_start.get(), 0, nullptr));
    if (!thread) {
        return false;
    }
    thread_start.release(); // the thread's own now
    return true;
}

} // namespace embark::platform
