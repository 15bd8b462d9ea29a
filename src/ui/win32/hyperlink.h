// A static control of a dialog turned into a link: drawn in the user's link
// colours with an underlined font, a hand cursor and a tooltip over the link,
// and opened through the shell when clicked or activated from the keyboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/unique_handle.h"

namespace embark {

class Hyperlink {
public:
    // Bits of the option word.
    static constexpr uint32_t no_underline = 0x01;
    static constexpr uint32_t underline_on_hover = 0x02;
    static constexpr uint32_t command_button = 0x04; // activation tells the parent instead of opening
    static constexpr uint32_t notify_click = 0x08; // with command_button: WM_NOTIFY/NM_CLICK
    static constexpr uint32_t markup = 0x10; // only the label's <A>...</A> is the link
    static constexpr uint32_t bold_link = 0x20; // with markup: bold instead of underlined
    static constexpr uint32_t no_tooltip = 0x40;

    explicit Hyperlink(uint32_t options) : options_(options) {}
    Hyperlink(const Hyperlink&) = delete;
    Hyperlink& operator=(const Hyperlink&) = delete;

    // Routes the window's messages to this control, which the system has
    // made already; false when its procedure cannot be replaced. The host
    // then calls initialise().
    bool attach(HWND window);
    void initialise();
    bool set_label(const char* text); // false, and nothing kept, when memory runs out
    bool set_target(const char* text);
    bool navigate();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT pass_on(UINT message, WPARAM wparam, LPARAM lparam);
    void forget_window();
    const char* text() const;
    bool has(uint32_t option) const { return (options_ & option) == option; }
    bool over_link(POINT point) const;
    UINT alignment() const;
    void calculate_link_rectangle();
    void paint(HDC given);
    void add_tool();
    void read_link_colours();
    void relay(UINT message, WPARAM wparam, LPARAM lparam);
    bool mouse_move(POINT point);
    void leave_link();
    void redraw(const RECT* area, bool update);

    uint32_t options_;
    HWND window_ = nullptr;
    WNDPROC previous_ = ::DefWindowProcA;
    // Each text with its terminating zero, so that an empty text is still
    // one byte long: empty means none was given.
    std::string label_;
    std::string target_;
    platform::win32::UniqueCursor hand_cursor_;
    platform::win32::UniqueFont link_font_;
    HFONT normal_font_ = nullptr; // the parent's; never deleted here
    RECT link_rectangle_{};
    platform::win32::UniqueWindow tooltip_;
    COLORREF link_colour_ = RGB(0, 0, 255);
    COLORREF visited_colour_ = RGB(128, 0, 128);
    bool paint_label_ = true;
    bool visited_ = false;
    bool hover_ = false;
};

} // namespace embark
