#include "brand/branding.h"

#include "brand/binary.h"
#include "brand/icon_file.h"
#include "brand/manifest.h"
#include "brand/pe_image.h"
#include "brand/version_info.h"

#include <algorithm>
#include <string_view>

namespace embark::brand {

const char brand_usage[] =
    "usage: embark-brand INPUT.exe OUTPUT.exe [options]\n"
    "Writes a copy of the launcher INPUT.exe with the application's resources; what is not given stays.\n"
    "  --icon FILE.ico             every image of the icon file, in place of the launcher's icon\n"
    "  --version 1.2.3.4           the file and product version (four numbers up to 65535)\n"
    "  --product-name TEXT         the version information's texts (UTF-8)\n"
    "  --file-description TEXT\n"
    "  --company TEXT\n"
    "  --copyright TEXT\n"
    "  --original-filename NAME\n"
    "  --utf8                      UTF-8 as the process's code page (Windows 10 version 1903 and later)\n"
    "  --require-admin             ask for an administrator's rights at every start\n"
    "Brand first, then sign: branding a signed launcher is refused.\n";

namespace {

// Options whose text goes into the version resource, and the key it goes to.
constexpr std::pair<std::string_view, std::u16string_view> text_options[] = {
    {"--product-name", u"ProductName"},
    {"--file-description", u"FileDescription"},
    {"--company", u"CompanyName"},
    {"--copyright", u"LegalCopyright"},
    {"--original-filename", u"OriginalFilename"},
};

// Every language of the first resource of a type; null when there is none.
Languages* first_of_type(ResourceTree& tree, uint16_t type) {
    auto found = tree.find(ResourceKey::of(type));
    if (found == tree.end() || found->second.empty() || found->second.begin()->second.empty()) return nullptr;
    return &found->second.begin()->second;
}

} // namespace

BrandRequest parse_brand_arguments(const std::vector<std::string>& arguments) {
    BrandRequest request;
    std::vector<std::string> files, seen;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            request.help = true;
            return request;
        }
        if (!argument.starts_with("--")) {
            files.push_back(argument);
            continue;
        }
        for (const std::string& earlier : seen) {
            if (earlier == argument) fail(argument + " is given twice");
        }
        seen.push_back(argument);
        if (argument == "--utf8" || argument == "--require-admin") {
            (argument == "--utf8" ? request.utf8 : request.require_admin) = true;
            continue;
        }
        auto text_option = std::find_if(std::begin(text_options), std::end(text_options),
                                        [&](const auto& option) { return option.first == argument; });
        if (text_option == std::end(text_options) && argument != "--icon" && argument != "--version") {
            fail("unknown option " + argument + " (--help lists them)");
        }
        if (i + 1 == arguments.size()) fail(argument + " needs a value");
        const std::string& value = arguments[++i];
        if (argument == "--icon") {
            request.icon = value;
        } else if (argument == "--version") {
            std::array<uint16_t, 4> version{};
            if (!parse_four_part_version(value, version)) {
                fail("--version \"" + value + "\" is not four numbers up to 65535, such as 1.2.3.4");
            }
            request.version = version;
            std::u16string text(value.begin(), value.end()); // digits and dots only
            request.texts.emplace_back(u"FileVersion", text);
            request.texts.emplace_back(u"ProductVersion", text);
        } else {
            std::u16string text;
            if (!utf8_to_utf16(value, text)) fail(argument + " is not UTF-8 text");
            request.texts.emplace_back(text_option->second, text);
        }
    }
    if (files.size() != 2) fail("give the launcher to read and the file to write (--help shows how)");
    request.input = files[0];
    request.output = files[1];
    return request;
}

std::string brand_image(const BrandRequest& request, std::string image, const std::string& icon_file) {
    PeImage pe(std::move(image), request.input);
    ResourceTree tree = pe.resources();
    if (request.icon) replace_icon_group(tree, icon_file, *request.icon);
    if (request.version || !request.texts.empty()) {
        Languages* versions = first_of_type(tree, resource_version);
        if (versions == nullptr) fail(request.input + " has no version resource");
        for (auto& [language, data] : *versions) {
            VersionBlock root = read_version_info(data.bytes);
            if (request.version) set_fixed_version(root, *request.version);
            for (const auto& [key, text] : request.texts) set_version_text(root, key, text);
            data.bytes = write_version_info(root);
        }
    }
    if (request.utf8 || request.require_admin) {
        Languages* manifests = first_of_type(tree, resource_manifest);
        if (manifests == nullptr) fail(request.input + " has no manifest");
        for (auto& [language, data] : *manifests) {
            if (request.utf8) add_utf8_code_page(data.bytes);
            if (request.require_admin) require_administrator(data.bytes);
        }
    }
    return pe.with_resources(tree);
}

} // namespace embark::brand
