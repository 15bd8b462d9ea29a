#include "platform/native_system.h"

#include <windows.h>

#include "platform/file_replace.h"
#include "platform/win32/unique_handle.h"

namespace embark::platform {
namespace {

using win32::UniqueHandle;

constexpr uint64_t unix_epoch_in_file_time = 116444736000000000u; // 100 ns steps since 1601

struct RangeLock final : FileLock {
    explicit RangeLock(UniqueHandle file) : file(std::move(file)) {}
    UniqueHandle file; // closing it gives the lock back
};

UniqueHandle open_file(const std::string& path, DWORD access, DWORD disposition) {
    // Others may read, write, rename and delete meanwhile: a cache file is
    // never in anyone's way longer than the system requires.
    HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

} // namespace

std::string NativeCacheFiles::cache_folder() {
    char folder[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableA("LOCALAPPDATA", folder, sizeof folder);
    return length == 0 || length >= sizeof folder ? std::string()
                                                  : std::string(folder, length) + "\\embark\\cache";
}

std::optional<FileFacts> NativeCacheFiles::facts(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    uint64_t written =
        uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
    return FileFacts{uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow,
                     written > unix_epoch_in_file_time ? (written - unix_epoch_in_file_time) * 100 : 0,
                     (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

std::string NativeCacheFiles::real_path(const std::string& path) {
    char full[MAX_PATH];
    DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

std::string NativeCacheFiles::read_part(const std::string& path, uint64_t offset, size_t size) {
    UniqueHandle file = open_file(path, GENERIC_READ, OPEN_EXISTING);
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    std::string bytes(file && ::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) ? size : 0, '\0');
    size_t done = 0;
    DWORD read = 0;
    while (done < bytes.size() &&
           ::ReadFile(file.get(), bytes.data() + done,
                      static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), &read, nullptr) &&
           read > 0) {
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

bool NativeCacheFiles::make_folders(const std::string& path) {
    // From the first separator after the drive or the server's share on.
    for (size_t separator = path.find('\\', path.starts_with("\\\\") ? path.find('\\', 2) + 1 : 3);;
         separator = path.find('\\', separator + 1)) {
        std::string folder = path.substr(0, separator);
        if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (separator == std::string::npos) return true;
    }
}

bool NativeCacheFiles::write(const std::string& path, std::string_view bytes) {
    UniqueHandle file = open_file(path, GENERIC_WRITE, CREATE_ALWAYS);
    DWORD written = 0;
    while (file && !bytes.empty()) {
        if (!::WriteFile(file.get(), bytes.data(),
                         static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30)), &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return static_cast<bool>(file);
}

bool NativeCacheFiles::replace(const std::string& from, const std::string& to) {
    return replace_file(from, to);
}

bool NativeCacheFiles::remove(const std::string& path) {
    return ::DeleteFileA(path.c_str()) || ::RemoveDirectoryA(path.c_str());
}

void NativeCacheFiles::touch(const std::string& path) {
    UniqueHandle file = open_file(path, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    if (file) ::SetFileTime(file.get(), nullptr, nullptr, &now);
}

std::unique_ptr<FileLock> NativeCacheFiles::try_lock(const std::string& path) {
    UniqueHandle file = open_file(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    OVERLAPPED whole{};
    if (!file ||
        !::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        return nullptr;
    }
    return std::make_unique<RangeLock>(std::move(file));
}

uint64_t NativeCacheFiles::process_number() {
    return ::GetCurrentProcessId();
}

} // namespace embark::platform
