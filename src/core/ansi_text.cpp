#include "core/ansi_text.h"

namespace embark {

namespace {

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

size_t next_char(std::string_view text, size_t index, const platform::CodePage& code_page) {
    if (index >= text.size()) {
        return text.size();
    }
    if (code_page.is_lead_byte(static_cast<unsigned char>(text[index])) && index + 1 < text.size()) {
        return index + 2;
    }
    return index + 1;
}

size_t find_last_char(std::string_view text, char wanted, const platform::CodePage& code_page) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i = next_char(text, i, code_page)) {
        if (text[i] == wanted && next_char(text, i, code_page) == i + 1) {
            found = i;
        }
    }
    return found;
}

size_t find_char(std::string_view text, char wanted, size_t from, const platform::CodePage& code_page) {
    // Walk from the start so that `from` is known to sit on a character boundary.
    for (size_t i = 0; i < text.size(); i = next_char(text, i, code_page)) {
        if (i >= from && text[i] == wanted && next_char(text, i, code_page) == i + 1) {
            return i;
        }
    }
    return std::string_view::npos;
}

void replace_char(std::string& text, char from, char to, const platform::CodePage& code_page) {
    for (size_t i = 0; i < text.size(); i = next_char(text, i, code_page)) {
        if (text[i] == from && next_char(text, i, code_page) == i + 1) {
            text[i] = to;
        }
    }
}

bool equals_ignoring_case(std::string_view a, std::string_view b, const platform::CodePage& code_page) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        size_t next_i = next_char(a, i, code_page);
        size_t next_j = next_char(b, j, code_page);
        if (next_i - i != next_j - j) {
            return false;
        }
        if (next_i - i == 1) {
            if (ascii_lower(a[i]) != ascii_lower(b[j])) {
                return false;
            }
        } else if (a.substr(i, 2) != b.substr(j, 2)) {
            return false;
        }
        i = next_i;
        j = next_j;
    }
    return i == a.size() && j == b.size();
}

bool is_ascii_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim_white_space(std::string_view text, const platform::CodePage& code_page) {
    size_t begin = 0;
    while (begin < text.size() && is_white_space(text[begin])) {
        begin = next_char(text, begin, code_page);
    }
    // White space is single-byte, so only the last character has to be checked
    // for being a trail byte: walk forward to know where characters begin.
    size_t end = begin;
    for (size_t i = begin; i < text.size(); i = next_char(text, i, code_page)) {
        if (!is_white_space(text[i]) || next_char(text, i, code_page) != i + 1) {
            end = next_char(text, i, code_page);
        }
    }
    return text.substr(begin, end - begin);
}

} // namespace embark
