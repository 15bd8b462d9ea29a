// The owner of one system resource (a handle, a descriptor, a stream): it
// closes what it holds exactly once, on every path, and can only be moved.
// The system folders give the traits of each kind of resource:
//
//     struct Traits {
//         static Handle invalid();             // what an empty owner holds
//         static bool is_valid(Handle handle);
//         static bool close(Handle handle);    // true when closing went well
//     };
#pragma once

#include <utility>

namespace embark::platform {

template <typename Handle, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::is_valid(handle_); }

    // Hands the resource over to the caller, who closes it from then on.
    Handle release() { return std::exchange(handle_, Traits::invalid()); }

    void reset(Handle handle = Traits::invalid()) {
        Handle previous = std::exchange(handle_, handle);
        if (Traits::is_valid(previous)) {
            Traits::close(previous);
        }
    }

    // Closes the resource now, for a caller that must know whether that
    // went well: closing a written file can be the write that fails.
    // False when there was nothing to close.
    bool close() {
        Handle handle = release();
        return Traits::is_valid(handle) && Traits::close(handle);
    }

private:
    Handle handle_ = Traits::invalid();
};

} // namespace embark::platform
