// The message catalogue and the error printer: every text the launcher shows
// comes from the catalogue, every error report is one "Error: " line on
// standard output.
#pragma once

#include <string>
#include <string_view>

#include "core/format.h"
#include "core/trace.h"
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
    class_path_entry_not_found = 232,
    class_needs_newer_java = 233,
    library_for_other_processor = 234,
};

class Messages {
public:
    // The trace is on when EMBARK_TRACE asks for it.
    explicit Messages(platform::System& system) : system_(system), trace_(system) {}

    // The catalogue text; empty for an id that is not in the catalogue.
    std::string load(MessageId id) const;
    std::string load_and_format(MessageId id, std::initializer_list<FormatArgument> arguments) const;

    // The error printer: "Error: <text> \n", written with one call.
    void print_error(std::string_view text) const;
    void print_error(std::string_view format, const FormatArgument& argument) const;
    void print_error(std::string_view format, const FormatArgument& first,
                     const FormatArgument& second) const;

    // A line after an error that says what to do about it, on the same stream.
    void print_hint(MessageId id, std::initializer_list<FormatArgument> arguments) const;

    // The start's decisions, when asked for: beside the error lines, never instead of them.
    const Trace& trace() const { return trace_; }

private:
    platform::System& system_;
    Trace trace_;
};

} // namespace embark
