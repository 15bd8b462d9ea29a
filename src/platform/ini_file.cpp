#include "platform/ini_file.h"

#include <cstdint>
#include <vector>

namespace embark::ini {

namespace {

// The blanks that the profile functions trim: tab, vertical tab, form feed,
// blank, and the end-of-file mark (Ctrl-Z).
bool is_blank(char c) {
    return c == '\t' || c == '\v' || c == '\f' || c == ' ' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Names and values end at a NUL byte, as the C strings they become.
std::string_view up_to_nul(std::string_view text) {
    size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

char fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    a = up_to_nul(a);
    b = up_to_nul(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

struct Line {
    size_t begin; // first byte of the line
    size_t end; // one past its last byte, before the line break
    size_t next; // first byte of the next line
    std::string_view text; // trimmed
};

// The line that starts at `position`; its `next` is where the following one starts.
Line line_at(std::string_view contents, size_t position) {
    Line line;
    line.begin = position;
    while (position < contents.size() && contents[position] != '\n' && contents[position] != '\r') {
        ++position;
    }
    line.end = position;
    while (position < contents.size() && (contents[position] == '\n' || contents[position] == '\r')) {
        ++position;
    }
    line.next = position;
    line.text = trim(contents.substr(line.begin, line.end - line.begin));
    return line;
}

std::vector<Line> split_lines(std::string_view contents, size_t from) {
    std::vector<Line> lines;
    for (size_t position = from; position < contents.size();) {
        lines.push_back(line_at(contents, position));
        position = lines.back().next;
    }
    return lines;
}

size_t text_start(std::string_view contents) {
    static constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
    return contents.substr(0, utf8_mark.size()) == utf8_mark ? utf8_mark.size() : 0;
}

// The section name of a header line, or nullopt when the line is no header.
std::optional<std::string_view> section_name(std::string_view line) {
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    size_t closing = line.rfind(']');
    if (closing == std::string_view::npos) {
        return std::nullopt;
    }
    return trim(line.substr(1, closing - 1));
}

struct KeyLine {
    std::string_view name;
    std::optional<std::string_view> value;
};

KeyLine key_line(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {line, std::nullopt};
    }
    return {trim(line.substr(0, equals)), trim(line.substr(equals + 1))};
}

// The lines of the first section named `section`: [first, last).
struct SectionSpan {
    size_t header;
    size_t first;
    size_t last;
};

std::optional<SectionSpan> find_section(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = section_name(lines[i].text);
        if (!name || !same_name(*name, section)) {
            continue;
        }
        size_t last = i + 1;
        while (last < lines.size() && !section_name(lines[last].text)) {
            ++last;
        }
        return SectionSpan{i, i + 1, last};
    }
    return std::nullopt;
}

std::string_view without_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

void append_utf8(std::string& text, uint32_t code) {
    if (code < 0x80) {
        text.push_back(static_cast<char>(code));
        return;
    }
    // Lead byte, then continuation bytes of six bits each.
    int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static constexpr unsigned char lead_marks[] = {0, 0xC0, 0xE0, 0xF0};
    text.push_back(static_cast<char>(lead_marks[continuations] | (code >> (6 * continuations))));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6) {
        text.push_back(static_cast<char>(0x80 | ((code >> shift) & 0x3F)));
    }
}

} // namespace

std::string decode_file_text(std::string contents) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(contents[i])); };
    if (contents.size() < 2 ||
        !((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        return contents;
    }
    const bool little_endian = byte(0) == 0xFF;
    auto unit = [&](size_t i) {
        return little_endian ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1);
    };
    auto in = [](uint32_t code, uint32_t first, uint32_t last) { return code >= first && code <= last; };
    std::string text;
    text.reserve(contents.size());
    // An odd last byte is no character and is dropped.
    for (size_t i = 2; i + 1 < contents.size(); i += 2) {
        uint32_t code = unit(i);
        if (in(code, 0xD800, 0xDBFF) && i + 3 < contents.size() && in(unit(i + 2), 0xDC00, 0xDFFF)) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (in(code, 0xD800, 0xDFFF)) {
            code = 0xFFFD; // half a pair stands for nothing
        }
        append_utf8(text, code);
    }
    return text;
}

std::optional<std::string> find_value(std::string_view contents, std::string_view section,
                                      std::string_view key) {
    section = trim(section);
    key = trim(key);
    if (key.empty()) {
        return std::nullopt;
    }
    // One pass, line by line: settings files are read at every start.
    bool inside = false;
    for (size_t position = text_start(contents); position < contents.size();) {
        Line line = line_at(contents, position);
        position = line.next;
        if (line.text.empty()) {
            continue;
        }
        if (auto name = section_name(line.text)) {
            if (inside) {
                return std::nullopt; // only the first section of that name counts
            }
            inside = same_name(*name, section);
            continue;
        }
        if (!inside) {
            continue;
        }
        KeyLine entry = key_line(line.text);
        if (!same_name(entry.name, key)) {
            continue;
        }
        if (!entry.value) {
            return std::nullopt;
        }
        return std::string(without_quotes(up_to_nul(*entry.value)));
    }
    return std::nullopt;
}

std::vector<std::string> key_names(std::string_view contents, std::string_view section) {
    std::vector<Line> lines = split_lines(contents, text_start(contents));
    std::vector<std::string> names;
    if (auto span = find_section(lines, trim(section))) {
        for (size_t i = span->first; i < span->last; ++i) {
            KeyLine entry = key_line(lines[i].text);
            if (entry.value && !entry.name.empty() && entry.name.front() != ';') {
                names.emplace_back(entry.name);
            }
        }
    }
    return names;
}

std::string set_value(std::string_view contents, std::string_view section, std::string_view key,
                      std::string_view value) {
    section = trim(section);
    key = trim(key);
    const char* line_break = contents.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::string entry = std::string(key).append("=").append(value);

    std::vector<Line> lines = split_lines(contents, text_start(contents));
    auto span = find_section(lines, section);
    std::string result;
    if (!span) {
        result.assign(contents);
        if (!result.empty() && result.back() != '\n' && result.back() != '\r') {
            result.append(line_break);
        }
        result.append("[").append(section).append("]").append(line_break);
        result.append(entry).append(line_break);
        return result;
    }
    size_t insert_after = span->header;
    for (size_t i = span->first; i < span->last; ++i) {
        if (lines[i].text.empty()) {
            continue;
        }
        insert_after = i;
        if (same_name(key_line(lines[i].text).name, key)) {
            // Replace the line's text, keep its line break.
            result.assign(contents.substr(0, lines[i].begin));
            result.append(entry);
            result.append(contents.substr(lines[i].end));
            return result;
        }
    }
    const Line& anchor = lines[insert_after];
    result.assign(contents.substr(0, anchor.end));
    result.append(line_break).append(entry);
    if (anchor.end == anchor.next) {
        result.append(line_break); // the anchor was the last line, without a break
    }
    result.append(contents.substr(anchor.end));
    return result;
}

} // namespace embark::ini
