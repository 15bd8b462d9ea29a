// Failures at the seam: the system's own error number, and a value or that number.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace embark::platform {

// A failure as the system numbers it: GetLastError's code on Windows, errno on POSIX.
struct SystemError {
    uint32_t code = 0;
};

// The error number the calling thread's last failed system call left.
SystemError last_system_error();

// What a system call that can fail gives: its value, or the system's error.
template <typename T>
class Expected {
public:
    Expected(T value) : value_(std::move(value)) {}
    Expected(SystemError error) : error_(error) {}

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    SystemError error() const { return error_; }

private:
    std::optional<T> value_;
    SystemError error_;
};

} // namespace embark::platform
