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

namespace {

class FakeRegistryKey final : public platform::RegistryKey {
public:
    FakeRegistryKey(const FakeRegistry& registry, std::string path) : registry_(registry), path_(std::move(path)) {}

    bool subkey_name(uint32_t index, std::string& name) override {
        // Direct children, in the map's (sorted) order.
        const std::string prefix = path_ + "\\";
        std::vector<std::string> children;
        for (const auto& [key, values] : registry_.keys) {
            if (key.compare(0, prefix.size(), prefix) == 0) {
                std::string child = key.substr(prefix.size());
                child = child.substr(0, child.find('\\'));
                if (children.empty() || children.back() != child) {
                    children.push_back(child);
                }
            }
        }
        if (index >= children.size()) {
            return false;
        }
        name = children[index];
        return true;
    }
    bool value(const char* name, std::string& data) override {
        auto key = registry_.keys.find(path_);
        if (key == registry_.keys.end()) {
            return false;
        }
        auto found = key->second.find(name);
        if (found == key->second.end()) {
            return false;
        }
        data = found->second;
        return true;
    }

private:
    const FakeRegistry& registry_;
    std::string path_;
};

} // namespace

std::unique_ptr<platform::RegistryKey> FakeRegistry::open_local_machine(const std::string& path) {
    opened.push_back(path);
    std::string normalised = path;
    while (!normalised.empty() && normalised.back() == '\\') {
        normalised.pop_back();
    }
    const std::string prefix = normalised + "\\";
    for (const auto& [key, values] : keys) {
        if (key == normalised || key.compare(0, prefix.size(), prefix) == 0) {
            return std::make_unique<FakeRegistryKey>(*this, normalised);
        }
    }
    return nullptr;
}

} // namespace embark::testing
