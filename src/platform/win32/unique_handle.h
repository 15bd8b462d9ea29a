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

// A view of a file mapping, typed as what the mapping holds.
template <typename Contents>
struct MappedViewTraits {
    static Contents* invalid() { return nullptr; }
    static bool is_valid(Contents* view) { return view != nullptr; }
    static bool close(Contents* view) { return ::UnmapViewOfFile(view) != FALSE; }
};
template <typename Contents>
using UniqueMappedView = UniqueResource<Contents*, MappedViewTraits<Contents>>;

// Memory that a system call allocated for its caller with LocalAlloc.
struct LocalMemoryTraits {
    static HLOCAL invalid() { return nullptr; }
    static bool is_valid(HLOCAL memory) { return memory != nullptr; }
    static bool close(HLOCAL memory) { return ::LocalFree(memory) == nullptr; }
};
using UniqueLocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;

// The user interface's objects: a font made, a cursor made, a window made.
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

// Only the thread that made the window may destroy it.
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static bool is_valid(HWND window) { return window != nullptr; }
    static bool close(HWND window) { return ::DestroyWindow(window) != FALSE; }
};
using UniqueWindow = UniqueResource<HWND, WindowTraits>;

} // namespace embark::platform::win32
