#include <gtest/gtest.h>

#include "brand/binary.h"
#include "brand/manifest.h"
#include "brand/resource_tree.h"
#include "brand/version_info.h"

namespace embark::brand {
namespace {

TEST(BrandTest, VersionsAndTextsFromTheCommandLine) {
    const std::pair<const char*, bool> versions[] = {{"1.2.3.4", true}, {"65535.0.00001.0", true}, {"1.2.3", false},
        {"1.2.3.4.", false}, {"1..3.4", false}, {"1.2.3.65536", false}, {"1.2.3.999999", false}, {"1.2.3.-4", false},
        {"", false}, {"1.2.3.4.5", false}, {" 1.2.3.4", false}};
    for (const auto& [text, valid] : versions) {
        std::array<uint16_t, 4> version{};
        EXPECT_EQ(parse_four_part_version(text, version), valid) << text;
    }
    const std::pair<std::string_view, std::u16string> texts[] = {{"A\xc3\xa9", u"A\u00e9"},
        {"\xe6\x96\x87", u"\u6587"}, {"\xf0\x9f\x98\x80", u"\U0001F600"}, {"\xc0\xaf", u""} /* overlong */,
        {"\xed\xa0\x80", u""} /* surrogate */, {"\xc3", u""}, {"\x80", u""}, {"\xf4\x90\x80\x80", u""}};
    for (const auto& [utf8, utf16] : texts) {
        std::u16string converted;
        EXPECT_EQ(utf8_to_utf16(utf8, converted), !utf16.empty()) << utf8;
        EXPECT_TRUE(utf16.empty() || converted == utf16) << utf8;
    }
}

// An image that is nothing but its resource section, at its address.
struct SectionImage : ImageReader {
    std::string bytes;
    uint32_t address = 0x3000;
    std::string_view at_address(uint32_t at, uint32_t size) const override {
        if (at < address || at - address > bytes.size() || size > bytes.size() - (at - address)) fail("outside");
        return std::string_view(bytes).substr(at - address, size);
    }
};

TEST(BrandTest, ResourceTreesWithNamesComeBackAsWritten) {
    ResourceTree tree;
    tree[ResourceKey{false, 0, u"TYPELIB"}][ResourceKey{false, 0, u"LIB"}][1033] = {"abc", 1252};
    tree[ResourceKey{false, 0, u"TYPELIB"}][ResourceKey::of(7)][0] = {"d", 0};
    tree[ResourceKey::of(resource_manifest)][ResourceKey{false, 0, u"LIB"}][0] = {std::string(9, 'm'), 0};
    SectionImage image;
    image.bytes = write_resource_section(tree, image.address);
    EXPECT_EQ(read_resource_tree(image, image.address), tree);
    image.bytes.resize(image.bytes.size() - 8); // the last data (9 bytes, then padding) cut short
    EXPECT_THROW(read_resource_tree(image, image.address), BrandError);
}

TEST(BrandTest, VersionResourceAndManifest) {
    VersionBlock root{u"VS_VERSION_INFO", false, std::string(52, '\0'), {{u"StringFileInfo", true, {}, {
        {u"040904B0", true, {}, {{u"ProductName", true, std::string("e\0", 2), {}}}}}}}};
    set_u32(root.value, 0, 0xFEEF04BD);
    set_fixed_version(root, {1, 2, 3, 4});
    set_version_text(root, u"CompanyName", u"Acme");
    std::string bytes = write_version_info(root);
    VersionBlock read = read_version_info(bytes);
    EXPECT_EQ(write_version_info(read), bytes);
    EXPECT_EQ(read.children[0].children[0].children.size(), 2u);
    EXPECT_EQ(BytesView(read.value, "").u32(8), 0x10002u);
    EXPECT_THROW(read_version_info(bytes.substr(0, bytes.size() - 2)), BrandError);

    std::string manifest = "<assembly>\n</assembly>";
    add_utf8_code_page(manifest);
    add_utf8_code_page(manifest);
    require_administrator(manifest);
    require_administrator(manifest);
    EXPECT_EQ(manifest.find("UTF-8</activeCodePage>"), manifest.rfind("UTF-8</activeCodePage>"));
    EXPECT_EQ(manifest.find("level=\"requireAdministrator\""), manifest.rfind("level=\"requireAdministrator\""));
    std::string no_end = "<assembly>";
    EXPECT_THROW(add_utf8_code_page(no_end), BrandError);
}

} // namespace
} // namespace embark::brand
