#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

namespace {

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(UniqueRegistryKey key) : key_(std::move(key)) {}

    std::optional<std::string> subkey_name(uint32_t index) override {
        char buffer[260];
        DWORD length = sizeof buffer;
        if (::RegEnumKeyExA(key_.get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::string(buffer, length);
    }

    std::optional<std::string> value(const char* name) override {
        DWORD size = 0;
        if (::RegQueryValueExA(key_.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::string data(size, '\0');
        if (size != 0 &&
            ::RegQueryValueExA(key_.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                               &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        data.resize(size);
        return data;
    }

private:
    UniqueRegistryKey key_;
};

} // namespace

// Without a view flag a key is read in the view of the process's own bitness:
// a 32-bit launcher sees the runtimes that a 32-bit launcher can load.
std::unique_ptr<RegistryKey> Win32Registry::open(RegistryRoot root, const std::string& path) {
    HKEY key = nullptr;
    HKEY parent = root == RegistryRoot::local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(UniqueRegistryKey(key));
}

} // namespace embark::platform::win32
