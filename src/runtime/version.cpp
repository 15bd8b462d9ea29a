#include "runtime/version.h"

#include <limits>

#include "core/ansi_text.h"
#include "runtime/runtime_request.h"

namespace embark {

namespace {

size_t find_digit(std::string_view text, size_t from, const platform::CodePage& code_page) {
    for (size_t i = from; i < text.size(); i = next_char(text, i, code_page)) {
        if (is_ascii_digit(text[i]) && next_char(text, i, code_page) == i + 1) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

bool parse_version(std::string_view text, int32_t fill, const platform::CodePage& code_page,
                   VersionRecord& version) {
    version = VersionRecord{};
    constexpr int32_t largest = std::numeric_limits<int32_t>::max();
    int32_t groups = 0;
    size_t position = find_digit(text, 0, code_page);
    while (position != std::string_view::npos && groups < 4) {
        int32_t value = 0;
        while (position < text.size() && is_ascii_digit(text[position])) {
            int32_t digit = text[position] - '0';
            value = (value > (largest - digit) / 10) ? largest : value * 10 + digit;
            ++position;
        }
        version.components[groups++] = value;
        // Digits are single bytes, so `position` is a character boundary here.
        position = find_digit(text, position, code_page);
    }
    if (groups == 0) {
        return false;
    }
    version.count = groups;
    for (int32_t i = groups; i < 4; ++i) {
        version.components[i] = fill;
    }
    return true;
}

int compare_versions(const VersionRecord& a, const VersionRecord& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.components[i] != b.components[i]) {
            return a.components[i] < b.components[i] ? -1 : 1;
        }
    }
    return 0;
}

bool version_matches_preferred(const VersionRecord& runtime, const VersionRecord& preferred) {
    if (versions_equal(runtime, preferred)) {
        return true;
    }
    if (preferred.count == 0 || preferred.count > runtime.count) {
        return false;
    }
    for (int32_t i = 0; i < preferred.count; ++i) {
        if (runtime.components[i] != preferred.components[i]) {
            return false;
        }
    }
    return true;
}

bool version_within_range(const VersionRecord& version, const VersionRecord& minimum,
                          const VersionRecord& maximum) {
    static const VersionRecord no_bound{};
    if (compare_versions(version, minimum) < 0) {
        return false;
    }
    return versions_equal(maximum, no_bound) || compare_versions(version, maximum) <= 0;
}

bool versions_equal(const VersionRecord& a, const VersionRecord& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.components[i] != b.components[i]) {
            return false;
        }
    }
    return true;
}

bool version_is_unset(const VersionRecord& version) {
    bool all_zero = true;
    bool all_maximum = true;
    for (int32_t component : version.components) {
        all_zero = all_zero && component == 0;
        all_maximum = all_maximum && component == maximum_fill;
    }
    return all_zero || all_maximum;
}

std::string format_version(const VersionRecord& version) {
    int last = -1;
    for (int i = 3; i >= 0; --i) {
        if (version.components[i] != 0 && version.components[i] != maximum_fill) {
            last = i;
            break;
        }
    }
    if (last < 0) {
        return "0.0.0.0";
    }
    // At least two components, unless the second is a maximum's fill that
    // nobody wrote: "Maximum Version=11" reads "11", not "11.65535".
    if (last == 0 && !(version.count < 2 && version.components[1] == maximum_fill)) {
        last = 1;
    }
    std::string text;
    for (int i = 0; i <= last; ++i) {
        if (i > 0) {
            text.push_back('.');
        }
        text.append(std::to_string(version.components[i]));
    }
    return text;
}

std::string requirement_text(const Messages& messages, const VersionRecord& minimum,
                             const VersionRecord& maximum) {
    bool has_minimum = !version_is_unset(minimum);
    bool has_maximum = !version_is_unset(maximum);
    if (!has_minimum && !has_maximum) {
        return messages.load(MessageId::latest_version);
    }
    if (!has_minimum) {
        return messages.load_and_format(MessageId::maximum_version, {format_version(maximum)});
    }
    if (!has_maximum) {
        return messages.load_and_format(MessageId::minimum_version, {format_version(minimum)});
    }
    if (versions_equal(minimum, maximum)) {
        return messages.load_and_format(MessageId::exact_version, {format_version(minimum)});
    }
    return messages.load_and_format(MessageId::version_between,
                                    {format_version(minimum), format_version(maximum)});
}

std::string missing_runtime_message(const Messages& messages, const RuntimeRequest& request) {
    MessageId id =
        request.jvm_type == JvmType::server ? MessageId::jre_not_found_server : MessageId::jre_not_found;
    return messages.load_and_format(
        id, {requirement_text(messages, request.minimum_version, request.maximum_version)});
}

} // namespace embark
