#include "vm/vm_options.h"

#include <algorithm>
#include <limits>

#include "core/ansi_text.h"
#include "core/executable.h"
#include "runtime/runtime_layout.h"

namespace embark {

namespace {

constexpr char blank = ' ';
constexpr char quote = '"';
constexpr size_t npos = std::string_view::npos;
constexpr uint32_t largest_number = std::numeric_limits<uint32_t>::max();

size_t token_end(std::string_view text, size_t start) {
    size_t space = text.find(blank, start);
    size_t open = text.find(quote, start);
    while (open != npos) {
        if (space == npos) {
            return text.size();
        }
        if (space < open) {
            return space;
        }
        size_t close = text.find(quote, open + 1);
        if (close == npos) {
            return space;
        }
        if (close + 1 < text.size() && text[close + 1] == quote) {
            ++close;
        }
        open = text.find(quote, close + 1);
        space = text.find(blank, close + 1);
    }
    return space == npos ? text.size() : space;
}

bool starts_with_memory_option(std::string_view token) {
    std::string_view name = token.substr(0, 4);
    return name == "-Xms" || name == "-Xmx" || name == "-Xss";
}

} // namespace

std::vector<std::string> split_vm_parameters(std::string_view text) {
    std::vector<std::string> tokens;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = token_end(text, position);
        tokens.emplace_back(text.substr(position, end - position));
        position = end;
        while (position < text.size() && text[position] == blank) {
            ++position;
        }
    }
    return tokens;
}

std::string remove_quotes(std::string_view token) {
    std::string text(token);
    size_t open = text.find(quote);
    while (open != npos) {
        size_t close = text.find(quote, open + 1);
        if (close == npos) {
            break;
        }
        if (close + 1 < text.size() && text[close + 1] == quote) {
            ++close;
        }
        text.erase(close, 1);
        text.erase(open, 1);
        // The kept text now ends just before where the closing quote was.
        open = text.find(quote, close - 1);
    }
    return text;
}

NumberReading read_numbers(std::string_view text) {
    NumberReading reading;
    reading.position = text.size();
    for (size_t i = 0; i < text.size(); ++i) {
        if (is_ascii_digit(text[i]) || text[i] == ':') {
            reading.position = i;
            break;
        }
    }
    if (reading.position == text.size()) {
        return reading;
    }
    reading.numbers.push_back(0);
    for (size_t i = reading.position; i + 1 < text.size(); ++i) {
        if (is_ascii_digit(text[i])) {
            // Saturates, as the version digit groups do: an absurd number stays absurd.
            uint32_t& number = reading.numbers.back();
            uint32_t digit = static_cast<uint32_t>(text[i] - '0');
            number = number > (largest_number - digit) / 10 ? largest_number : number * 10 + digit;
        } else if (text[i] == ':') {
            reading.numbers.push_back(0);
        }
    }
    return reading;
}

bool is_percentage_memory_option(std::string_view token) {
    if (!starts_with_memory_option(token)) {
        return false;
    }
    char unit = token.back();
    return unit == 'P' || unit == 'p' || unit == 'T' || unit == 't';
}

std::string rewrite_percentage_memory_option(std::string_view token, uint64_t total_physical,
                                             uint64_t available_virtual) {
    NumberReading reading = read_numbers(token);
    auto number = [&](size_t index) -> uint64_t {
        return index < reading.numbers.size() ? reading.numbers[index] : 0;
    };
    double factor = static_cast<double>(static_cast<uint32_t>(number(0))) * 0.01;
    char unit = token.back();
    uint64_t base = (unit == 'T' || unit == 't') ? available_virtual : total_physical;
    uint64_t kilobytes = base >> 10;
    double share = static_cast<double>(kilobytes) * factor;
    // 2^64 is exact in double; beyond it the conversion would be undefined.
    constexpr double beyond_size = 18446744073709551616.0;
    uint64_t size =
        share >= beyond_size ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(share);
    uint64_t maximum = number(2) * 1024;
    uint64_t minimum = number(1) * 1024;
    if (maximum != 0 && size > maximum) {
        size = maximum;
    }
    if (minimum > size) {
        size = minimum;
    }
    std::string rewritten(token.substr(0, reading.position));
    rewritten.append(std::to_string(size)).push_back('K');
    return rewritten;
}

uint32_t thread_stack_size_from(std::string_view token) {
    if (token.substr(0, 4) != "-Xss" || token.size() <= 4) {
        return 0;
    }
    std::string_view value = token.substr(4);
    uint32_t multiplier = 1;
    switch (value.back()) {
    case 'G':
    case 'g':
        multiplier = 1073741824u;
        break;
    case 'M':
    case 'm':
        multiplier = 1048576u;
        break;
    case 'K':
    case 'k':
        multiplier = 1024u;
        break;
    default:
        break;
    }
    NumberReading reading = read_numbers(value);
    if (reading.position != 0 || reading.numbers.size() != 1) {
        return 0;
    }
    return reading.numbers[0] * multiplier; // unsigned 32-bit, as the thread takes it
}

std::string remove_components(std::string_view path, int count, char separator,
                              const platform::CodePage& code_page) {
    std::string_view rest = path;
    for (int i = 0; i < count; ++i) {
        size_t last = find_last_char(rest, separator, code_page);
        if (last == npos) {
            break;
        }
        rest = rest.substr(0, last);
    }
    return std::string(rest);
}

void prepare_environment(platform::System& system, const VmSettings& settings,
                         const std::string& vm_library_path, VmOptions& options) {
    const char separator = system.paths.separator;
    const char list_separator = system.paths.list_separator;
    const std::string path_reference = std::string("%") + system.paths.search_path_variable + "%";
    const std::string& library = vm_library_path;
    std::string home = remove_components(library, 3, separator, system.code_page);

    system.environment.set("JX_JVM_PATH", library);
    system.environment.set("JX_JVM_HOME", home);
    // The executable's folder without its separator, set before any value is
    // expanded: settings name the files beside the executable with it, from
    // whatever folder the start was made.
    std::string executable_folder; // with its separator
    std::string application_folder;
    if (platform::Expected<std::string> executable = system.process.executable_path()) {
        size_t last = find_last_char(*executable, separator, system.code_page);
        executable_folder = last == npos ? std::string() : executable->substr(0, last + 1);
        application_folder = working_directory_for(*executable, separator, system.code_page);
    }
    system.environment.set("EMBARK_APP_DIR", application_folder);

    if (!settings.library_path.empty()) {
        // The pieces are joined with the list separator where they would
        // otherwise run into each other and form a folder name that exists nowhere.
        std::string library_path = settings.library_path;
        if (library_path.back() != list_separator) {
            library_path.push_back(list_separator);
        }
        library_path.append(executable_folder);
        library_path.append(1, list_separator).append(".");
        library_path.append(1, list_separator).append(path_reference);
        library_path.append(1, list_separator).append(home).append(1, separator).append("lib");
        options.options.push_back("-Djava.library.path=" + system.environment.expand(library_path));
    }

    std::string search_path;
    if (!settings.system_path.empty()) {
        search_path = settings.system_path;
        if (search_path.back() != list_separator) {
            search_path.push_back(list_separator);
        }
    }
    search_path.append(path_reference).append(1, list_separator);
    if (runtime_layout_for(system.machine).search_path_entry_is_home_bin) {
        search_path.append(home).append(1, separator).append("bin");
    } else {
        search_path.append(remove_components(library, 2, separator, system.code_page));
    }
    system.environment.set(system.paths.search_path_variable, system.environment.expand(search_path));
}

bool assemble_options(platform::System& system, const Messages& messages, const VmSettings& settings,
                      VmOptions& assembled) {
    if (settings.class_path.empty()) {
        messages.print_error(messages.load(MessageId::no_class_path));
        return false;
    }
    // References first, so that a wildcard may follow one: %EMBARK_APP_DIR%/lib/*.
    std::vector<std::string> options;
    assembled.class_path = system.environment.expand(settings.class_path);
    assembled.options.push_back("-Djava.class.path=" +
                                expand_class_path_wildcards(system, assembled.class_path));

    for (const std::string& token : split_vm_parameters(settings.parameters)) {
        std::string option = remove_quotes(token);
        if (is_percentage_memory_option(option)) {
            option = rewrite_percentage_memory_option(option, system.memory.total_physical(),
                                                      system.memory.available_virtual());
        }
        if (uint32_t stack_size = thread_stack_size_from(option); stack_size != 0) {
            assembled.java_thread_stack_size = stack_size;
        }
        options.push_back(std::move(option));
    }
    // References are expanded per option, after splitting: a variable's value
    // never splits into several options.
    for (const std::string& option : options) {
        assembled.options.push_back(system.environment.expand(option));
    }
    return true;
}

namespace {

// Calls `visit` for each entry of the class path with, for a wildcard entry,
// its folder: the text before the "*", which is empty for the current folder
// or ends in a separator. The entries are found by a walk: a trail byte is
// never taken for a separator or a "*".
template <typename Visit>
void for_each_class_path_entry(platform::System& system, std::string_view class_path, Visit visit) {
    const char list_separator = system.paths.list_separator;
    auto is_separator = [&](char c) { return c == system.paths.separator || c == '/'; };
    for (size_t start = 0; start <= class_path.size();) {
        size_t end = find_char(class_path, list_separator, start, system.code_page);
        end = end == npos ? class_path.size() : end;
        std::string_view entry = class_path.substr(start, end - start);
        start = end + 1;
        size_t last = npos;
        size_t before_last = npos;
        for (size_t i = 0; i < entry.size(); i = next_char(entry, i, system.code_page)) {
            before_last = last;
            last = i;
        }
        bool wildcard = last != npos && last == entry.size() - 1 && entry[last] == '*' &&
            (before_last == npos || (before_last == last - 1 && is_separator(entry[before_last])));
        visit(entry, wildcard ? std::optional<std::string_view>(entry.substr(0, last)) : std::nullopt);
    }
}

// The folder that a wildcard's folder text names: "." for the current one.
std::string listed_folder(std::string_view folder) {
    return folder.size() <= 1 ? std::string(folder.empty() ? "." : folder)
                              : std::string(folder.substr(0, folder.size() - 1));
}

} // namespace

std::string expand_class_path_wildcards(platform::System& system, const std::string& class_path) {
    if (class_path.find('*') == npos) {
        return class_path; // the common case, walked no further (no trail byte is a '*')
    }
    const char list_separator = system.paths.list_separator;
    std::string expanded;
    for_each_class_path_entry(
        system, class_path, [&](std::string_view entry, std::optional<std::string_view> folder) {
            if (!folder) {
                expanded.append(entry).push_back(list_separator);
                return;
            }
            std::vector<std::string> names = system.files.file_names(listed_folder(*folder));
            std::sort(names.begin(), names.end()); // as java -cp lists them
            for (const std::string& name : names) {
                if (name.size() > 4 && (name.ends_with(".jar") || name.ends_with(".JAR"))) {
                    expanded.append(*folder).append(name).push_back(list_separator);
                }
            }
        });
    if (!expanded.empty()) {
        expanded.pop_back();
    }
    return expanded;
}

std::vector<std::string> missing_class_path_entries(platform::System& system, std::string_view class_path) {
    std::vector<std::string> missing;
    for_each_class_path_entry(system, class_path,
                              [&](std::string_view entry, std::optional<std::string_view> folder) {
                                  std::string path = folder ? listed_folder(*folder) : std::string(entry);
                                  if (!entry.empty() && !system.files.entry_exists(path)) {
                                      missing.emplace_back(entry);
                                  }
                              });
    return missing;
}

} // namespace embark
