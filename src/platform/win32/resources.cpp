#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform {

std::string NativeResources::load_string(unsigned id) {
    // The string table holds UTF-16: with a zero size LoadStringW hands out a
    // pointer to the text itself, which is then converted to the ANSI code page.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), bytes, nullptr, nullptr);
    return result;
}

} // namespace embark::platform
