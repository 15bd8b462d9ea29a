// The process environment and the option list that virtual machine creation
// passes on: class path, library path, the free parameters with the
// launcher's percentage form for memory sizes, and the Java thread's stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"

namespace embark {

// Splits "Virtual Machine Parameters" at blanks outside double-quoted
// stretches; a leading blank gives an empty first token.
std::vector<std::string> split_vm_parameters(std::string_view text);

// Removes each pair of double quotes; a doubled closing quote leaves one quote.
std::string remove_quotes(std::string_view token);

// The numbers of "-Xmx50:64:512P": read from the first digit or colon up to,
// not including, the last character (the unit letter).
struct NumberReading {
    size_t position = 0;           // where the first number starts (the text's length when none)
    std::vector<uint32_t> numbers; // empty when there is no digit or colon
};
NumberReading read_numbers(std::string_view text);

// "-Xms", "-Xmx" or "-Xss" with percent[:minimum[:maximum]] and P (of the
// physical memory) or T (of the free virtual address space).
bool is_percentage_memory_option(std::string_view token);
// The option with its size in kilobytes: "-Xmx1048576K".
std::string rewrite_percentage_memory_option(std::string_view token, uint64_t total_physical,
                                             uint64_t available_virtual);

// The Java thread's stack size that an "-Xss" token asks for, in bytes; 0 when
// the token does not say (the caller keeps what it had).
uint32_t thread_stack_size_from(std::string_view token);

// The path with `count` trailing components removed (cut at the last separator each time).
std::string remove_components(std::string_view path, int count, char separator,
                              const platform::CodePage& code_page);

// JX_JVM_PATH, JX_JVM_HOME, the library path option and the search path.
void prepare_environment(platform::System& system, const Messages& messages, LauncherState& state);
// The class path option and the parameters, then the output and error files.
bool assemble_options(platform::System& system, const Messages& messages, LauncherState& state);

} // namespace embark
