// The message catalogue and the error printer: every text the launcher shows
// comes from the catalogue, every error report is one "Error: " line on
// standard output.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace embark {

enum class MessageId : unsigned {
    windows_exception = 202,
    jni_exception = 203,
    jre_not_found_server = 206,
    jre_not_found = 207,
    module_path_failed = 208,
    no_class_path = 209,
    no_main_class = 210,
    main_class_load_failed = 211,
    no_create_java_vm = 212,
    create_vm_failed = 213,
    browse_title = 214,
    main_class_not_found = 215,
    no_main_method = 216,
    latest_version = 217,
    maximum_version = 218,
    minimum_version = 219,
    exact_version = 220,
    version_between = 221,
    vm_library_load_failed = 222,
    reason_unknown = 225,
    reason_detached = 226,
    reason_version = 227,
    reason_no_memory = 228,
    reason_exists = 229,
    reason_invalid = 230,
    not_started_as_service = 231,
};

// One argument of a message: a text for %s or a signed integer for %d.
class FormatArgument {
public:
    FormatArgument(std::string_view text) : text_(text), is_number_(false) {}
    FormatArgument(const std::string& text) : text_(text), is_number_(false) {}
    FormatArgument(const char* text) : text_(text), is_number_(false) {}
    FormatArgument(long long number) : number_(number), is_number_(true) {}
    FormatArgument(int number) : number_(number), is_number_(true) {}
    FormatArgument(long number) : number_(number), is_number_(true) {}
    // The system's error number as a signed 32-bit value, as Windows shows its codes.
    FormatArgument(platform::SystemError error)
        : number_(static_cast<int32_t>(error.code)), is_number_(true) {}

    void append_text(std::string& out) const;
    void append_number(std::string& out) const;

private:
    std::string_view text_;
    long long number_ = 0;
    bool is_number_;
};

// Fills %s and %d in order; %% is a percent sign. Arguments are inserted,
// never read as a format, and a placeholder without an argument stays empty.
std::string format_message(std::string_view format, std::initializer_list<FormatArgument> arguments);

class Messages {
public:
    explicit Messages(platform::System& system) : system_(system) {}

    // The catalogue text; empty for an id that is not in the catalogue.
    std::string load(MessageId id) const;
    std::string load_and_format(MessageId id, std::initializer_list<FormatArgument> arguments) const;

    // The error printer: "Error: <text> \n", written with one call.
    void print_error(std::string_view text) const;
    void print_error(std::string_view format, const FormatArgument& argument) const;
    void print_error(std::string_view format, const FormatArgument& first,
                     const FormatArgument& second) const;

private:
    platform::System& system_;
};

} // namespace embark
