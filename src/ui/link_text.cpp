#include "ui/link_text.h"

#include "core/ansi_text.h"

namespace embark {

namespace {

// Leading white space, a sign, digits; no digits give 0. Overlong numbers wrap
// instead of overflowing: only the low 8 bits are kept anyway.
int32_t leading_integer(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    uint32_t value = 0;
    for (; i < text.size() && is_ascii_digit(text[i]); ++i) {
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// Only as many bytes as remain are compared: a tag cut off by the end of the
// label does not match.
bool tag_at(std::string_view text, size_t index, std::string_view tag) {
    if (text.size() - index < tag.size()) {
        return false;
    }
    for (size_t i = 0; i < tag.size(); ++i) {
        char c = text[index + i];
        if (c != tag[i] && !(tag[i] == 'A' && c == 'a')) {
            return false;
        }
    }
    return true;
}

} // namespace

uint32_t parse_link_colour(std::string_view text, const platform::CodePage& code_page) {
    uint32_t components[3];
    size_t start = 0;
    for (int i = 0; i < 2; ++i) {
        size_t comma = find_char(text, ',', start, code_page);
        if (comma == std::string_view::npos) {
            return invalid_colour;
        }
        int32_t value = leading_integer(text.substr(start, comma - start));
        if (value == -1) {
            return invalid_colour;
        }
        components[i] = static_cast<uint32_t>(value);
        start = comma + 1;
    }
    if (start == text.size()) {
        return invalid_colour;
    }
    components[2] = static_cast<uint32_t>(leading_integer(text.substr(start)));
    return (components[0] & 0xFF) | (components[1] & 0xFF) << 8 | (components[2] & 0xFF) << 16;
}

MarkupParts split_markup(std::string_view label) {
    static constexpr std::string_view opening = "<A>";
    static constexpr std::string_view closing = "</A>";
    MarkupParts parts;
    size_t link_start = std::string_view::npos;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] != '<') {
            continue;
        }
        if (link_start == std::string_view::npos) {
            if (tag_at(label, i, opening)) {
                if (i > 0) {
                    parts.before = label.substr(0, i);
                }
                link_start = i + opening.size();
                parts.link = std::string_view();
                i = link_start - 1;
            }
        } else if (tag_at(label, i, closing)) {
            parts.link = label.substr(link_start, i - link_start);
            if (i + closing.size() < label.size()) {
                parts.after = label.substr(i + closing.size());
            }
            break;
        }
    }
    return parts;
}

} // namespace embark
