#include <windows.h>

#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

bool Win32CodePage::is_lead_byte(unsigned char byte) const {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

} // namespace embark::platform::win32
