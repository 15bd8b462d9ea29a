#include "launcher/message_texts.h"
#include "platform/posix/posix_system.h"

namespace embark::platform::posix {

namespace {

struct CatalogueEntry {
    unsigned id;
    const char* text;
};

#define EMBARK_CATALOGUE_ENTRY(id, text) {id, text},
constexpr CatalogueEntry catalogue[] = {EMBARK_MESSAGE_CATALOGUE(EMBARK_CATALOGUE_ENTRY)};
#undef EMBARK_CATALOGUE_ENTRY

} // namespace

std::string PosixResources::load_string(unsigned id) {
    for (const CatalogueEntry& entry : catalogue) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

} // namespace embark::platform::posix
