#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/win32_system.h"

namespace embark::platform {

namespace {

bool is_valid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Whether this executable was linked for the window subsystem, which starts
// without a console, as the header of its image in memory says.
bool window_only_program() {
    auto* image = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
    auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    return headers->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

// Where the lines go: the standard streams; for a window-only program that
// was handed none, the console of the process that started it; else nowhere
// yet (null), held for a message box at the end. Decided at the first line,
// so that a start without errors never takes its parent's console.
struct Streams {
    FILE* output;
    FILE* error;
};

const Streams& streams() {
    static const Streams chosen = []() -> Streams {
        if (!window_only_program() || is_valid(::GetStdHandle(STD_OUTPUT_HANDLE))) {
            return {stdout, stderr};
        }
        // A process that has a console already (Wine gives a window-only
        // child its parent's) cannot attach, and needs not: its console
        // opens all the same. Without any console, the open fails.
        ::AttachConsole(ATTACH_PARENT_PROCESS);
        HANDLE console =
            ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
        if (!is_valid(console)) {
            return {nullptr, nullptr};
        }
        // The standard streams of a window-only program cannot be reopened:
        // a stream of its own on the console, open for the process's life.
        int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(console), _O_TEXT);
        FILE* stream = descriptor < 0 ? nullptr : ::_fdopen(descriptor, "w");
        if (stream == nullptr) {
            ::CloseHandle(console);
            return {nullptr, nullptr};
        }
        ::SetStdHandle(STD_OUTPUT_HANDLE, console); // and the machine's own streams, made later, there too
        ::SetStdHandle(STD_ERROR_HANDLE, console);
        return {stream, stream};
    }();
    return chosen;
}

std::string& held_lines() {
    static std::string lines;
    return lines;
}

// The file name of this executable: the caption of its message box.
std::string executable_file_name() {
    char path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* at = path; at < path + length; at = ::CharNextA(at)) {
        if (*at == '\\' || *at == '/') {
            name = at + 1;
        }
    }
    return name;
}

// Whether a window shown now can be seen: not in a service's window station.
bool desktop_is_visible() {
    USEROBJECTFLAGS flags{};
    HWINSTA station = ::GetProcessWindowStation();
    return station != nullptr &&
        ::GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

void NativeConsole::write(std::string_view text) {
    FILE* output = streams().output;
    if (output == nullptr) {
        held_lines().append(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), output);
    std::fflush(output);
}

bool NativeConsole::has_error_stream() {
    return streams().error != nullptr && is_valid(::GetStdHandle(STD_ERROR_HANDLE));
}

void NativeConsole::write_error(std::string_view text) {
    if (FILE* error = streams().error) {
        std::fwrite(text.data(), 1, text.size(), error);
    }
}

void NativeConsole::show_held_lines() {
    std::string& lines = held_lines();
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == ' ')) {
        lines.pop_back();
    }
    if (!lines.empty() && desktop_is_visible()) {
        ::MessageBoxA(nullptr, lines.c_str(), executable_file_name().c_str(),
                      MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }
    lines.clear();
}

} // namespace embark::platform
