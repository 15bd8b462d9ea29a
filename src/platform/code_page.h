// The process's ANSI code page.
#pragma once

namespace embark::platform {

// Which bytes open a double-byte character.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual bool is_lead_byte(unsigned char byte) const = 0;
};

} // namespace embark::platform
