// Threads of the process.
#pragma once

#include <cstdint>
#include <optional>

namespace embark::platform {

class Threads {
public:
    virtual ~Threads() = default;
    using Body = uint32_t (*)(void* argument);
    // Runs `body` on a new thread with the given stack size (0: the system's
    // default) and waits for it: its result, or nullopt when no thread could be made.
    virtual std::optional<uint32_t> run_and_wait(uint32_t stack_size, Body body, void* argument) = 0;
    // Runs `body` on a new thread of the default size that nobody waits for.
    // False when no thread could be made.
    virtual bool start(Body body, void* argument) = 0;
};

} // namespace embark::platform
