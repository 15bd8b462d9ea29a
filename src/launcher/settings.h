// The settings files: the launcher settings file beside the executable and the
// per-user settings file that remembers the runtime folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/executable.h"
#include "core/messages.h"
#include "launcher/launcher_state.h"
#include "platform/system.h"

namespace embark {

namespace section {
inline constexpr const char* application = "Application";
inline constexpr const char* class_path = "Class Path";
inline constexpr const char* java_runtime = "Java Runtime Environment";
inline constexpr const char* product = "Product Information";
} // namespace section

namespace key {
inline constexpr const char* application_type = "Application Type";
inline constexpr const char* single_instance = "Single Instance";
inline constexpr const char* override_working_dir = "Override WorkingDir";
inline constexpr const char* output_file = "Output File";
inline constexpr const char* error_file = "Error File";
inline constexpr const char* class_path = "Class Path";
inline constexpr const char* main_class = "Main Class";
inline constexpr const char* vm_parameters = "Virtual Machine Parameters";
inline constexpr const char* minimum_version = "Minimum Version";
inline constexpr const char* maximum_version = "Maximum Version";
inline constexpr const char* preferred_versions = "Preferred versions";
inline constexpr const char* jre_path = "JRE Path";
inline constexpr const char* jvm_type = "JVM Type";
inline constexpr const char* jvm_source = "JVM Source";
inline constexpr const char* vm_provider = "VM Provider";
inline constexpr const char* modern_search = "Modern Runtime Search";
inline constexpr const char* startup_cache = "Startup Cache";
inline constexpr const char* system_path = "System Path";
inline constexpr const char* library_path = "Library Path";
inline constexpr const char* product_name = "Product Name";
inline constexpr const char* product_code = "Product Code";
} // namespace key

// The executable path up to its last dot, followed by "ini". With no dot in the
// whole path there is no settings file. Where executables have no extension, a
// file name without a dot gets ".ini" appended instead.
bool settings_file_path_for(std::string_view executable, const platform::PathConventions& paths,
                            const platform::CodePage& code_page, std::string& path);
bool settings_file_path(platform::System& system, const Messages& messages, std::string& path);

// <APPDATA>\<product name without \?"|><:/*>\<product code>\<executable name>.ini
struct PerUserSettingsPath {
    std::string product_folder;
    std::string code_folder;
    std::string file;
};
PerUserSettingsPath per_user_settings_file_path_for(std::string_view executable, std::string_view app_data,
                                                    std::string_view product_name,
                                                    std::string_view product_code, char separator,
                                                    const platform::CodePage& code_page);
// Below the user's application data folder; empty when the executable path is
// unavailable. With `create_folders` the two folders are created on the way
// (their outcome is not examined).
std::string per_user_settings_file_path(platform::System& system, const Messages& messages,
                                        const LauncherState& state, const std::string& app_data,
                                        bool create_folders);

std::string read_setting(platform::System& system, const std::string& file, const char* section,
                         const char* key);

// Splits at every occurrence of `separator`; empty pieces stay, nothing is trimmed.
void split_at_separator(std::string_view text, std::string_view separator, std::vector<std::string>& pieces);

// Value parsing, one function a key.
VersionRecord minimum_version_from(std::string_view value, const platform::CodePage& code_page);
VersionRecord maximum_version_from(std::string_view value, const platform::CodePage& code_page);
JvmType jvm_type_from(std::string_view value);
void apply_jvm_source(std::string_view value, SearchPreferences& preferences);
void apply_vm_provider(std::string_view value, const platform::CodePage& code_page,
                       SearchPreferences& preferences);
// Any value but "no" (in any case), and none, searches the modern sources too.
bool modern_runtime_search_from(std::string_view value, const platform::CodePage& code_page);
bool override_working_dir_from(std::string_view value, const platform::CodePage& code_page);

// The two keys the single-instance gate decides by, read before the rest of the file.
GateSettings read_gate_settings(platform::System& system, const std::string& file);

// Reads every key of the start from the settings file into the state. False,
// after reporting it, when "Main Class" is empty.
bool load_settings(platform::System& system, const Messages& messages, const std::string& file,
                   LauncherState& state);

} // namespace embark
