// Changes to the launcher's manifest, made on its text: the settings are
// elements of their own, so they are added before the assembly's end.
#pragma once

#include <string>

namespace embark::brand {

// The process's ANSI code page becomes UTF-8 (Windows 10 version 1903 and
// later; earlier versions ignore the element).
void add_utf8_code_page(std::string& manifest);
// The process asks for an administrator's rights when it starts.
void require_administrator(std::string& manifest);

} // namespace embark::brand
