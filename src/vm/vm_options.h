// The process environment and the option list that virtual machine creation
// passes on: class path, library path, the free parameters with the
// launcher's percentage form for memory sizes, and the Java thread's stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "platform/system.h"
#include "vm/jni_interface.h"

namespace embark {

// What the settings file says about the virtual machine's start, as the
// settings load read it.
struct VmSettings {
    std::string main_class; // with slashes for dots
    std::string class_path;
    std::string parameters; // "Virtual Machine Parameters", unsplit
    std::string output_file;
    std::string error_file;
    std::string system_path;
    std::string library_path;
    std::string startup_cache; // "Startup Cache"
};

// The options that the machine's creation passes on, and the stack of the
// thread that creates it.
struct VmOptions {
    std::vector<std::string> options;
    uint32_t java_thread_stack_size = 0; // bytes; 0 keeps the system default
    std::string class_path; // references expanded, wildcards not yet
    // The machine's exit hook (the "exit" option), called on System.exit; null for none.
    void* exit_hook = nullptr;
    // Run on the Java thread once the machine exists, before main, with its context.
    void (*machine_created)(void* context, JNIEnv* env) = nullptr;
    void* machine_created_context = nullptr;
};

// Splits "Virtual Machine Parameters" at blanks outside double-quoted
// stretches; a leading blank gives an empty first token.
std::vector<std::string> split_vm_parameters(std::string_view text);

// Every class path entry whose last element is "*" stands for the .jar and
// .JAR files of its folder, in byte order of their names (none for a folder
// without any); "*" anywhere else stays as written.
std::string expand_class_path_wildcards(platform::System& system, const std::string& class_path);

// The entries of the class path that name nothing, and the wildcard entries
// whose folder is missing, as written; empty entries are not counted.
std::vector<std::string> missing_class_path_entries(platform::System& system, std::string_view class_path);

// Removes each pair of double quotes; a doubled closing quote leaves one quote.
std::string remove_quotes(std::string_view token);

// The numbers of "-Xmx50:64:512P": read from the first digit or colon up to,
// not including, the last character (the unit letter).
struct NumberReading {
    size_t position = 0; // where the first number starts (the text's length when none)
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
void prepare_environment(platform::System& system, const VmSettings& settings,
                         const std::string& vm_library_path, VmOptions& options);
// The class path option and the parameters; false, after reporting it, when
// there is no class path.
bool assemble_options(platform::System& system, const Messages& messages, const VmSettings& settings,
                      VmOptions& options);

} // namespace embark
