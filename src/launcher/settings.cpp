#include "launcher/settings.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/ansi_text.h"

namespace embark {

bool settings_file_path_for(std::string_view executable, const platform::PathConventions& paths,
                            const platform::CodePage& code_page, std::string& path) {
    size_t dot = find_last_char(executable, '.', code_page);
    // Where executables carry no extension, one without gets ".ini" appended.
    if (*paths.executable_extension == '\0') {
        size_t separator = find_last_char(executable, paths.separator, code_page);
        size_t name_start = separator == std::string_view::npos ? 0 : separator + 1;
        if (dot == std::string_view::npos || dot < name_start) {
            path.assign(executable).append(".ini");
            return true;
        }
    }
    if (dot == std::string_view::npos) {
        return false;
    }
    path.assign(executable.substr(0, dot + 1)).append("ini");
    return true;
}

bool settings_file_path(platform::System& system, const Messages& messages, std::string& path) {
    std::string executable;
    if (!executable_path(system, messages, executable)) {
        return false;
    }
    return settings_file_path_for(executable, system.paths, system.code_page, path);
}

PerUserSettingsPath per_user_settings_file_path_for(std::string_view executable, std::string_view app_data,
                                                    std::string_view product_name,
                                                    std::string_view product_code, char separator,
                                                    const platform::CodePage& code_page) {
    size_t last_separator = find_last_char(executable, separator, code_page);
    std::string file_part(last_separator == std::string_view::npos ? executable
                                                                   : executable.substr(last_separator + 1));
    size_t dot = find_last_char(file_part, '.', code_page);
    if (dot != std::string::npos) {
        file_part.resize(dot);
    }
    file_part.append(".ini");

    // Bytes that may not appear in a folder name, each tested on its own.
    static const char forbidden[] = "\\?\"|><:/*";
    std::string folder_name;
    for (char c : product_name) {
        if (std::memchr(forbidden, c, sizeof forbidden - 1) == nullptr) {
            folder_name.push_back(c);
        }
    }

    PerUserSettingsPath result;
    result.product_folder.assign(app_data).append(1, separator).append(folder_name);
    result.code_folder.assign(result.product_folder).append(1, separator).append(product_code);
    result.file.assign(result.code_folder).append(1, separator).append(file_part);
    return result;
}

std::string per_user_settings_file_path(platform::System& system, const Messages& messages,
                                        const LauncherState& state, const std::string& app_data,
                                        bool create_folders) {
    std::string executable;
    if (!executable_path(system, messages, executable)) {
        return {};
    }
    PerUserSettingsPath path =
        per_user_settings_file_path_for(executable, app_data, state.product_name, state.product_code,
                                        system.paths.separator, system.code_page);
    if (create_folders) {
        system.files.create_directory(path.product_folder);
        system.files.create_directory(path.code_folder);
    }
    return path.file;
}

std::string read_setting(platform::System& system, const std::string& file, const char* section,
                         const char* key) {
    return system.profiles.read(file, section, key);
}

void split_at_separator(std::string_view text, std::string_view separator, std::vector<std::string>& pieces) {
    pieces.clear();
    if (separator.empty()) {
        pieces.emplace_back(text);
        return;
    }
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string_view::npos;
         found = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    pieces.emplace_back(text.substr(start));
}

VersionRecord minimum_version_from(std::string_view value, const platform::CodePage& code_page) {
    VersionRecord version;
    if (value == "any") {
        version.count = 4;
        return version;
    }
    parse_version(value, minimum_fill, code_page, version);
    return version;
}

VersionRecord maximum_version_from(std::string_view value, const platform::CodePage& code_page) {
    VersionRecord version;
    if (value == "any") {
        version = VersionRecord{{maximum_fill, maximum_fill, maximum_fill, maximum_fill}, 4};
        return version;
    }
    parse_version(value, maximum_fill, code_page, version);
    return version;
}

JvmType jvm_type_from(std::string_view value) {
    if (value == "server") {
        return JvmType::server;
    }
    if (value == "favor_server") {
        return JvmType::favor_server;
    }
    return JvmType::any;
}

void apply_jvm_source(std::string_view value, SearchPreferences& preferences) {
    if (!value.empty()) {
        preferences.both_kinds_accepted = value == "favor_JRE" || value == "favor_JDK";
    }
    bool jdk = value.empty() || value == "favor_JDK" || value == "only_JDK";
    bool jre = value.empty() || value == "favor_JRE" || value == "only_JRE";
    preferences.kind_favoured[static_cast<int>(RuntimeKind::development_kit)] = jdk;
    preferences.kind_favoured[static_cast<int>(RuntimeKind::runtime_environment)] = jre;
}

void apply_vm_provider(std::string_view value, const platform::CodePage& code_page,
                       SearchPreferences& preferences) {
    // Accepted and favoured, each by VendorFamily: JavaSoft, JRockit.
    struct Row {
        const char* name;
        bool accepted[2];
        bool favoured[2];
    };
    static const Row rows[] = {
        {"jrockit", {false, true}, {false, true}},
        {"favor_sun", {true, true}, {true, false}},
        {"favor_jrockit", {true, true}, {false, true}},
        {"any", {true, true}, {false, false}},
    };
    if (value.empty()) {
        return;
    }
    for (const Row& row : rows) {
        if (equals_ignoring_case(value, row.name, code_page)) {
            std::copy(std::begin(row.accepted), std::end(row.accepted), preferences.vendor_accepted);
            std::copy(std::begin(row.favoured), std::end(row.favoured), preferences.vendor_favoured);
            return;
        }
    }
}

bool modern_runtime_search_from(std::string_view value, const platform::CodePage& code_page) {
    return !equals_ignoring_case(value, "no", code_page);
}

bool override_working_dir_from(std::string_view value, const platform::CodePage& code_page) {
    return equals_ignoring_case(value, "Yes", code_page);
}

namespace {

// Names in the trace the keys of the launcher's sections that it does not
// read, typing errors most likely; other tools' keys may stand there too.
void trace_unknown_keys(platform::System& system, const Trace& trace, const std::string& file) {
    struct Known {
        const char* section;
        const char* key;
    };
    static const Known known[] = {
        {section::java_runtime, key::main_class},
        {section::java_runtime, key::vm_parameters},
        {section::java_runtime, key::minimum_version},
        {section::java_runtime, key::maximum_version},
        {section::java_runtime, key::preferred_versions},
        {section::java_runtime, key::jre_path},
        {section::java_runtime, key::jvm_type},
        {section::java_runtime, key::jvm_source},
        {section::java_runtime, key::vm_provider},
        {section::java_runtime, key::modern_search},
        {section::java_runtime, key::startup_cache},
        {section::java_runtime, key::system_path},
        {section::java_runtime, key::library_path},
        {section::class_path, key::class_path},
        {section::application, key::application_type},
        {section::application, key::single_instance},
        {section::application, key::override_working_dir},
        {section::application, key::output_file},
        {section::application, key::error_file},
    };
    for (const char* checked : {section::java_runtime, section::class_path, section::application}) {
        for (const std::string& name : system.profiles.key_names(file, checked)) {
            bool is_known = false;
            for (const Known& entry : known) {
                // One pointer per section name: the table and the loop take the same constants.
                is_known = is_known ||
                    (entry.section == checked && equals_ignoring_case(name, entry.key, system.code_page));
            }
            if (!is_known) {
                trace.line("settings: unknown key \"%s\" in [%s], not read", {name, checked});
            }
        }
    }
}

} // namespace

GateSettings read_gate_settings(platform::System& system, const std::string& file) {
    return {read_setting(system, file, section::application, key::application_type),
            read_setting(system, file, section::application, key::single_instance)};
}

bool load_settings(platform::System& system, const Messages& messages, const std::string& file,
                   LauncherState& state) {
    auto read = [&](const char* section, const char* key) {
        return read_setting(system, file, section, key);
    };
    const platform::CodePage& code_page = system.code_page;
    if (const Trace& trace = messages.trace()) {
        trace.line("settings file %s%s", {file, system.files.entry_exists(file) ? "" : " (none)"});
        trace_unknown_keys(system, trace, file);
    }

    RuntimeRequest& runtime = state.runtime;
    runtime.minimum_version =
        minimum_version_from(read(section::java_runtime, key::minimum_version), code_page);
    runtime.maximum_version =
        maximum_version_from(read(section::java_runtime, key::maximum_version), code_page);

    if (read(section::application, key::application_type) == "service") {
        state.service = true;
    }

    split_at_separator(read(section::java_runtime, key::preferred_versions), ";", runtime.preferred_versions);

    state.product_code = read(section::product, key::product_code);
    state.product_name = read(section::product, key::product_name);

    // Outside service mode on NT systems a per-user settings file, once it
    // exists, alone decides the remembered runtime folder.
    std::string jre_path_file = file;
    std::optional<std::string> app_data = system.process.application_data_folder();
    if (app_data && !state.service) {
        std::string per_user = per_user_settings_file_path(system, messages, state, *app_data, false);
        if (!per_user.empty() && system.files.entry_exists(per_user)) {
            jre_path_file = per_user;
        }
        messages.trace().line("per-user settings file %s%s",
                              {per_user, jre_path_file == per_user ? "" : " (none)"});
    }
    state.remembered_runtime_folder =
        read_setting(system, jre_path_file, section::java_runtime, key::jre_path);

    runtime.jvm_type = jvm_type_from(read(section::java_runtime, key::jvm_type));
    apply_jvm_source(read(section::java_runtime, key::jvm_source), runtime.preferences);
    apply_vm_provider(read(section::java_runtime, key::vm_provider), code_page, runtime.preferences);

    std::string main_class = read(section::java_runtime, key::main_class);
    if (main_class.empty()) {
        messages.print_error(messages.load(MessageId::no_main_class));
        return false;
    }
    replace_char(main_class, '.', '/', code_page);
    VmSettings& vm = state.vm_settings;
    vm.main_class = std::move(main_class);

    state.override_working_directory =
        override_working_dir_from(read(section::application, key::override_working_dir), code_page);
    vm.system_path = read(section::java_runtime, key::system_path);
    vm.library_path = read(section::java_runtime, key::library_path);
    // Read now with the rest; their absence is reported when the options are assembled.
    vm.class_path = read(section::class_path, key::class_path);
    vm.parameters = read(section::java_runtime, key::vm_parameters);
    vm.startup_cache = read(section::java_runtime, key::startup_cache);
    vm.output_file = read(section::application, key::output_file);
    vm.error_file = read(section::application, key::error_file);
    return true;
}

} // namespace embark
