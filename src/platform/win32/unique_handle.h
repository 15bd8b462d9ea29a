// Owners of Windows handles: each closes its handle exactly once, on every path.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace embark::platform::win32 {

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool is_valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool close(HANDLE handle) { return ::CloseHandle(handle) != FALSE; }
};
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;

struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool is_valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static bool close(HANDLE handle) { return ::FindClose(handle) != FALSE; }
};
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;

struct RegistryKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool is_valid(HKEY key) { return key != nullptr; }
    static bool close(HKEY key) { return ::RegCloseKey(key) == ERROR_SUCCESS; }
};
using UniqueRegistryKey = UniqueResource<HKEY, RegistryKeyTraits>;

// The user interface's objects: a font made, a cursor made.
struct FontTraits {
    static HFONT invalid() { return nullptr; }
    static bool is_valid(HFONT font) { return font != nullptr; }
    static bool close(HFONT font) { return ::DeleteObject(font) != FALSE; }
};
using UniqueFont = UniqueResource<HFONT, FontTraits>;

struct CursorTraits {
    static HCURSOR invalid() { return nullptr; }
    static bool is_valid(HCURSOR cursor) { return cursor != nullptr; }
    static bool close(HCURSOR cursor) { return ::DestroyCursor(cursor) != FALSE; }
};
using UniqueCursor = UniqueResource<HCURSOR, CursorTraits>;

} // namespace embark::platform::win32
