// Owners of Windows handles: each closes its handle exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace embark::platform::win32 {

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
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) {
        if (Traits::is_valid(handle_)) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool is_valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;

struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool is_valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void close(HANDLE handle) { ::FindClose(handle); }
};
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;

struct RegistryKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool is_valid(HKEY key) { return key != nullptr; }
    static void close(HKEY key) { ::RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueResource<HKEY, RegistryKeyTraits>;

} // namespace embark::platform::win32
