// Single-instance operation: the channel between the starts of one executable.
// The first start listens under the instance name; a later start hands it the
// area that holds its encoded arguments and waits for the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace embark::platform {

// A later start's request as the first instance received it.
struct InstanceRequest {
    std::string argument_area; // a copy, taken when the request arrived: the slot is free again
    // Sends the answer to the waiting start; a request never answered leaves
    // that start waiting for this process's end.
    std::function<void(uint32_t)> reply;
};

// How a later start's wait for the first instance ended.
struct InstanceAnswer {
    enum class Kind {
        reply, // the first instance answered with `value`
        first_instance_ended, // it ended without answering; `value` is its exit code
        first_instance_unreachable, // its process cannot be opened
        lost, // neither an answer nor an exit code can be had
    };
    Kind kind;
    uint32_t value = 0;
};

class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;
    enum class Delivery { delivered, not_ready, failed };
    // A later start: hands the argument area to the first instance. not_ready
    // while the first instance is still starting and cannot take requests yet.
    virtual Delivery deliver(const std::string& argument_area) = 0;
    // A short pause before the next delivery attempt.
    virtual void pause_before_retry() = 0;
    // A later start, after delivery: blocks until the answer or the first
    // instance's end.
    virtual InstanceAnswer wait_for_answer() = 0;
};

class InstanceChannels {
public:
    virtual ~InstanceChannels() = default;
    using Serve = std::function<void(InstanceRequest)>;
    // Claims the instance name for argument areas of `area_size` bytes. The
    // first start gets a channel whose listener already takes requests when
    // this returns and passes each one to `serve` on the listener thread
    // (until the channel goes); a later start gets a channel to the first.
    // nullptr when the system refuses: the start then runs on its own.
    virtual std::unique_ptr<InstanceChannel> open(const std::string& instance_name, size_t area_size,
                                                  Serve serve, bool& first_instance) = 0;
};

} // namespace embark::platform
