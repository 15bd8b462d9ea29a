#include "fake_system.h"

#include "launcher/message_texts.h"
#include "platform/ini_file.h"

namespace embark::testing {

std::string FakeProfileFiles::read(const std::string& file, const char* section, const char* key) {
    auto found = files.find(file);
    if (found == files.end()) {
        return {};
    }
    return ini::find_value(found->second, section, key).value_or(std::string());
}

bool FakeProfileFiles::write(const std::string& file, const char* section, const char* key,
                             const std::string& value) {
    files[file] = ini::set_value(files[file], section, key, value);
    return true;
}

std::string FakeResources::load_string(unsigned id) {
    switch (id) {
#define EMBARK_FAKE_CATALOGUE_CASE(number, text) \
    case number:                                 \
        return text;
        EMBARK_MESSAGE_CATALOGUE(EMBARK_FAKE_CATALOGUE_CASE)
#undef EMBARK_FAKE_CATALOGUE_CASE
    default:
        return {};
    }
}

} // namespace embark::testing
