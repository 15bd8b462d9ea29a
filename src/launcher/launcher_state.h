// The one record per process that carries every settings value, the runtime
// choice, the virtual machine handles and the argument and option lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/version.h"

struct JavaVM_;
struct JNIEnv_;

namespace embark {

enum JvmType : int32_t {
    jvm_type_any = 0,
    jvm_type_server = 1,
    jvm_type_favor_server = 2,
};

struct LauncherState {
    int32_t jvm_type = jvm_type_any;
    std::string vm_library_path;
    JavaVM_* java_vm = nullptr; // once the virtual machine exists
    JNIEnv_* jni_env = nullptr; // valid on the Java thread only
    std::string main_class;   // with slashes for dots
    VersionRecord selected_runtime_version;
    VersionRecord minimum_version;
    VersionRecord maximum_version;
    std::vector<std::string> arguments;
    bool service = false;
    // Search preferences for installed runtimes.
    bool jdk_favoured = false;
    bool jre_favoured = false;
    bool both_kinds_accepted = true;
    bool jrockit_accepted = false;
    bool javasoft_accepted = true;
    bool jrockit_favoured = false;
    bool javasoft_favoured = true;
    std::string product_name;
    std::string product_code;
    std::vector<std::string> options;
    std::vector<std::string> preferred_versions;
    std::string remembered_runtime_folder; // "JRE Path"
    std::string library_path;
    // Single-instance gate; owned by the gate once it is active.
    void* block_view = nullptr;
    void* mapping_handle = nullptr;
    void* listener_thread = nullptr;
    bool first_instance = false;
    bool single_instance_active = false;
    std::string output_file;
    std::string error_file;
    std::string system_path;
    bool override_working_directory = false;
    uint32_t java_thread_stack_size = 0; // bytes; 0 keeps the system default
    void* create_java_vm = nullptr;                // JNI_CreateJavaVM of the VM library
    void* get_default_java_vm_init_args = nullptr; // JNI_GetDefaultJavaVMInitArgs
};

} // namespace embark
