#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace embark::platform {

namespace {

// The absolute form of a path in upper case, as the file system compares
// names; empty when it cannot be formed.
std::wstring comparable_path(const std::string& path) {
    DWORD size = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::string full(size, '\0');
    DWORD length = ::GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return {};
    }
    int units = ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(length), nullptr, 0);
    if (units <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(length), wide.data(), units);
    std::wstring upper(wide.size(), L'\0');
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), units, upper.data(), units) != units) {
        return {};
    }
    return upper;
}

} // namespace

bool NativeFileSystem::entry_exists(const std::string& path) {
    WIN32_FIND_DATAA found;
    win32::UniqueFindHandle search(::FindFirstFileA(path.c_str(), &found));
    return static_cast<bool>(search);
}

void NativeFileSystem::create_directory(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void NativeFileSystem::set_current_directory(const std::string& path) {
    ::SetCurrentDirectoryA(path.c_str());
}

bool NativeFileSystem::same_file(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    std::wstring first = comparable_path(a);
    return !first.empty() && first == comparable_path(b);
}

std::string NativeFileSystem::read_start(const std::string& path, size_t size) {
    win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (!file || !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

namespace {

// The entries of a folder whose attributes, masked, equal `wanted`.
std::vector<std::string> entries_of(const std::string& folder, DWORD mask, DWORD wanted) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    win32::UniqueFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileA(search.get(), &found) != FALSE) {
        std::string_view name = found.cFileName;
        if ((found.dwFileAttributes & mask) == wanted && name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    return names;
}

} // namespace

std::vector<std::string> NativeFileSystem::subfolder_names(const std::string& folder) {
    return entries_of(folder, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
                      FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> NativeFileSystem::file_names(const std::string& folder) {
    return entries_of(folder, FILE_ATTRIBUTE_DIRECTORY, 0);
}

bool NativeFileSystem::append(const std::string& path, std::string_view text) {
    win32::UniqueHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
}

} // namespace embark::platform
