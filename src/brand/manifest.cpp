#include "brand/manifest.h"

#include "brand/binary.h"

#include <string_view>

namespace embark::brand {
namespace {

void insert_before_end(std::string& manifest, std::string_view element) {
    size_t end = manifest.rfind("</assembly>");
    if (end == std::string::npos) fail("the executable's manifest has no </assembly> to add to");
    manifest.insert(end, element);
}

} // namespace

void add_utf8_code_page(std::string& manifest) {
    if (manifest.find("<activeCodePage") != std::string::npos) return;
    insert_before_end(manifest,
                      "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n"
                      "    <windowsSettings>\n"
                      "      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                      "WindowsSettings\">UTF-8</activeCodePage>\n"
                      "    </windowsSettings>\n"
                      "  </application>\n");
}

void require_administrator(std::string& manifest) {
    size_t element = manifest.find("<requestedExecutionLevel");
    if (element == std::string::npos) {
        insert_before_end(manifest,
                          "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n"
                          "    <security><requestedPrivileges>\n"
                          "      <requestedExecutionLevel level=\"requireAdministrator\" "
                          "uiAccess=\"false\"/>\n"
                          "    </requestedPrivileges></security>\n"
                          "  </trustInfo>\n");
        return;
    }
    size_t level = manifest.find("level=\"", element), close = manifest.find('>', element);
    size_t value = level + 7, value_end = manifest.find('"', value);
    if (level == std::string::npos || level > close || value_end == std::string::npos) {
        fail("the executable's manifest has a requestedExecutionLevel without a level");
    }
    manifest.replace(value, value_end - value, "requireAdministrator");
}

} // namespace embark::brand
