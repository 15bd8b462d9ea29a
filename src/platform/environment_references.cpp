#include "platform/environment_references.h"

#include "platform/environment.h"

namespace embark {

std::string expand_references(std::string_view text, const VariableLookup& lookup) {
    std::string out;
    out.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        size_t open = text.find('%', position);
        if (open == std::string_view::npos) {
            break;
        }
        size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        out.append(text.substr(position, open - position));
        std::string name(text.substr(open + 1, close - open - 1));
        std::optional<std::string> value;
        if (!name.empty()) {
            value = lookup(name);
        }
        if (value) {
            out.append(*value);
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        position = close + 1;
    }
    out.append(text.substr(position));
    return out;
}

// Each %NAME% is looked up on its own: the system's expansion function fails
// (or worse) for a result beyond 32 KiB, and a class path can be that long.
std::string platform::Environment::expand(const std::string& text) {
    return expand_references(text, [this](const std::string& name) { return get(name.c_str()); });
}

} // namespace embark
