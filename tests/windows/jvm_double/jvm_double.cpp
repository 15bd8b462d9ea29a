// A stand-in for a Java runtime's jvm.dll, for the Wine tests only. It plays just
// enough of a virtual machine for the launcher and appends "<event> <detail>"
// lines to the file EMBARK_JVM_DOUBLE_RECORD names: library, create (version,
// ignoreUnrecognized), option, env, cwd, stack (bytes reserved for the thread),
// class, method, call, stream (the file of a redirected stream), arg, describe,
// leaks (local references not deleted and string chars not released when the
// thread detaches), detach, destroy; attach, secondary <V|I> <thread> <count>
// <arg|arg...>, detach <thread> for other threads. EMBARK_JVM_DOUBLE_SCENARIO:
// blank-separated faults and features: throws, no-method, no-string, no-array, detach-fails,
// create:<result>, int (secondaryMain answers with its first argument),
// no-secondary, hold:<file> (main runs until the file exists), hold-create:<file>
// (so does the creation), exit:<code> (after main), until-stop (main runs until
// stop() is called, which records "stop <thread>" and throws with `throws`). Asked to record a class-data archive
// (-XX:ArchiveClassesAtExit, or -XX:+AutoCreateSharedArchive with a SharedArchiveFile that does not exist), it
// writes one, a page that starts with the dynamic archive's magic number, when the machine ends or before its exit
// hook (the "exit" option) on exit:<code>. A process without the two
// variables (a service) uses the files "record" and "scenario" beside the library.
// The rest of the JNI is null.
#define _JNI_IMPLEMENTATION_
#include <jni.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::string library_folder;
std::string environment(const char* name) {
    std::string value(32768, '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}
std::string record_file() {
    std::string file = environment("EMBARK_JVM_DOUBLE_RECORD");
    return file.empty() ? library_folder + "record" : file;
}

// The file is opened for each line, so that nothing is lost when the process ends.
void record(const std::string& line) {
    static std::mutex one_line_at_a_time;
    std::lock_guard lock(one_line_at_a_time);
    if (std::FILE* file = std::fopen(record_file().c_str(), "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

// Classes, methods, strings and arrays alike, alive until the process ends.
struct Object {
    std::string text; // a name, or the bytes of a string or byte array
    std::vector<Object*> elements;
};
extern const JNINativeInterface_ functions;
JNIEnv machine_environment{&functions};
std::string scenario;
HANDLE stop_called = CreateEventA(nullptr, TRUE, FALSE, nullptr);
thread_local jthrowable pending_exception = nullptr;
thread_local int leaks = 0;
thread_local bool attached = false;

std::string archive_to_record;
void(JNICALL* exit_hook)(jint) = nullptr;

void record_archive() {
    if (std::FILE* file = archive_to_record.empty() ? nullptr : std::fopen(archive_to_record.c_str(), "wb")) {
        static const unsigned char page[4096] = {0xA8, 0xAB, 0x0B, 0xF0};
        std::fwrite(page, 1, sizeof page, file);
        std::fclose(file);
    }
}

bool has(const std::string& word) { return (" " + scenario + " ").find(" " + word + " ") != std::string::npos; }
std::string value_of(const std::string& word) { // the text after "word:" in the scenario
    size_t at = (" " + scenario).find(" " + word + ":"), start = at + word.size() + 1;
    return at == std::string::npos ? "" : scenario.substr(start, scenario.find(' ', start) - start);
}
void hold_while_missing(const std::string& file) {
    while (!file.empty() && GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(10);
}
std::string thread() { return std::to_string(GetCurrentThreadId()); }

template <typename Handle = jobject> Handle make(std::string text) {
    return reinterpret_cast<Handle>(new Object{std::move(text), {}});
}
Object* object(void* handle) { return static_cast<Object*>(handle); }

// Every local reference handed out counts until it is deleted.
template <typename Handle> Handle local(Handle handle) {
    leaks += handle != nullptr;
    return handle;
}
jclass JNICALL find_class(JNIEnv*, const char* name) {
    if (std::string(name) != "java/lang/String") record(std::string("class ") + name);
    if (has("no-class") && std::string(name) == "com/example/App") {
        pending_exception = make<jthrowable>("java.lang.NoClassDefFoundError: com/example/App");
        return nullptr;
    }
    return local(make<jclass>(name));
}
jboolean JNICALL is_instance_of(JNIEnv*, jobject, jclass) { return JNI_FALSE; }
jmethodID JNICALL get_method_id(JNIEnv*, jclass, const char* name, const char*) { return make<jmethodID>(name); }
jmethodID JNICALL get_static_method_id(JNIEnv*, jclass, const char* name, const char* signature) {
    record(std::string("method ") + name + " " + signature);
    bool integer = std::string(signature).ends_with("I");
    if (std::string(name) == "secondaryMain" && (has("no-secondary") || has("int") != integer)) {
        pending_exception = make<jthrowable>("java.lang.NoSuchMethodError: secondaryMain");
        return nullptr;
    }
    return has("no-method") ? nullptr : make<jmethodID>(name);
}
std::string secondary(const char* form, va_list arguments) {
    const Object* array = object(va_arg(arguments, jobject));
    std::string line = std::string("secondary ") + form + " " + thread() + " " + std::to_string(array->elements.size());
    for (const Object* element : array->elements) {
        line += (element == array->elements.front() ? " " : "|") + element->text;
    }
    record(line);
    return array->elements.at(0)->text;
}
jint JNICALL call_static_int_method_v(JNIEnv*, jclass, jmethodID, va_list arguments) {
    return std::atoi(secondary("I", arguments).c_str());
}
jobject JNICALL new_object_v(JNIEnv*, jclass, jmethodID, va_list arguments) { // String(byte[]) only
    return has("no-string") ? nullptr : local(make(object(va_arg(arguments, jobject))->text));
}
jbyteArray JNICALL new_byte_array(JNIEnv*, jsize length) {
    return local(make<jbyteArray>(std::string(length, '\0')));
}
void JNICALL set_byte_array_region(JNIEnv*, jbyteArray array, jsize start, jsize length, const jbyte* bytes) {
    object(array)->text.replace(start, length, reinterpret_cast<const char*>(bytes), length);
}
jobjectArray JNICALL new_object_array(JNIEnv*, jsize length, jclass, jobject initial) {
    if (has("no-array")) return nullptr;
    return local(reinterpret_cast<jobjectArray>(new Object{{}, std::vector<Object*>(length, object(initial))}));
}
void JNICALL set_object_array_element(JNIEnv*, jobjectArray array, jsize index, jobject element) {
    object(array)->elements.at(index) = object(element);
}
void JNICALL delete_local_ref(JNIEnv*, jobject) { --leaks; }
const char* JNICALL get_string_utf_chars(JNIEnv*, jstring string, jboolean*) {
    ++leaks;
    return object(string)->text.c_str();
}
void JNICALL release_string_utf_chars(JNIEnv*, jstring, const char*) { --leaks; }
void JNICALL call_static_void_method_v(JNIEnv*, jclass type, jmethodID method, va_list arguments) {
    if (object(method)->text == "secondaryMain") return (void)secondary("V", arguments);
    record("call " + object(type)->text + "." + object(method)->text);
    const Object* argument = object(va_arg(arguments, jobject));
    if (object(method)->text.starts_with("set")) record("stream " + argument->text); // the file of setOut, setErr
    for (const Object* element : argument->elements) record("arg " + element->text);
    if (has("throws")) pending_exception = make<jthrowable>("java.lang.RuntimeException: thrown by main");
    if (object(method)->text != "main") return;
    hold_while_missing(value_of("hold"));
    if (has("until-stop")) WaitForSingleObject(stop_called, INFINITE);
    if (!value_of("exit").empty()) {
        record_archive();
        if (exit_hook != nullptr) exit_hook(std::stoi(value_of("exit")));
        ExitProcess(std::stoi(value_of("exit")));
    }
}
void JNICALL call_static_void_method_a(JNIEnv*, jclass, jmethodID method, const jvalue*) { // stop() only
    record(object(method)->text + " " + thread());
    SetEvent(stop_called);
    if (has("throws")) pending_exception = make<jthrowable>("java.lang.RuntimeException: thrown by stop");
}
void JNICALL exception_clear(JNIEnv*) { pending_exception = nullptr; }
jint JNICALL attach_current_thread(JavaVM*, void** env, void*) {
    attached = true;
    record("attach " + thread());
    *env = &machine_environment;
    return JNI_OK;
}
jthrowable JNICALL exception_occurred(JNIEnv*) { return local(pending_exception); }
jboolean JNICALL exception_check(JNIEnv*) { return pending_exception != nullptr; }
void JNICALL exception_describe(JNIEnv*) {
    record("describe " + object(pending_exception)->text);
    pending_exception = nullptr;
}
jint JNICALL detach_current_thread(JavaVM*) {
    record("leaks " + std::to_string(leaks) + (attached ? " " + thread() : ""));
    record(attached ? "detach " + thread() : "detach");
    return has("detach-fails") && !attached ? JNI_ERR : JNI_OK;
}
jint JNICALL destroy_java_vm(JavaVM*) {
    record("destroy");
    record_archive();
    return JNI_OK;
}

const JNINativeInterface_ functions{.FindClass = find_class, .ExceptionOccurred = exception_occurred,
    .ExceptionDescribe = exception_describe, .ExceptionClear = exception_clear, .DeleteLocalRef = delete_local_ref,
    .NewObjectV = new_object_v, .IsInstanceOf = is_instance_of, .GetMethodID = get_method_id, .GetStaticMethodID = get_static_method_id,
    .CallStaticIntMethodV = call_static_int_method_v, .CallStaticVoidMethodV = call_static_void_method_v,
    .CallStaticVoidMethodA = call_static_void_method_a,
    .GetStringUTFChars = get_string_utf_chars,
    .ReleaseStringUTFChars = release_string_utf_chars, .NewObjectArray = new_object_array,
    .SetObjectArrayElement = set_object_array_element, .NewByteArray = new_byte_array,
    .SetByteArrayRegion = set_byte_array_region, .ExceptionCheck = exception_check};
const JNIInvokeInterface_ invocation{.DestroyJavaVM = destroy_java_vm, .AttachCurrentThread = attach_current_thread,
    .DetachCurrentThread = detach_current_thread};
JavaVM machine{&invocation};

// JDK 1.1's argument record, from the published interface rather than the
// launcher's headers, so that a wrong definition there shows.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource, nativeStackSize, javaStackSize, minHeapSize, maxHeapSize, verifyMode;
    char* classpath;
    void *vfprintf, *exit, *abort; // functions
    jint enableClassGC, enableVerboseGC, disableAsyncGC, verbose;
    jboolean debugging;
    jint debugPort;
};

} // namespace

extern "C" {

// Asks for a Java stack of 8 MiB. The create-only variant has no such entry point.
#ifndef EMBARK_JVM_DOUBLE_CREATE_ONLY
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    auto* init = static_cast<Jdk11InitArgs*>(arguments);
    if (init->version != 0x00010001) return JNI_EVERSION;
    *init = {.version = 0x00010001, .javaStackSize = 8 << 20};
    return JNI_OK;
}
#endif

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* arguments) {
    scenario = environment("EMBARK_JVM_DOUBLE_SCENARIO");
    if (environment("EMBARK_JVM_DOUBLE_RECORD").empty()) {
        std::ifstream file(library_folder + "scenario");
        std::getline(file, scenario);
    }
    const auto* init = static_cast<const JavaVMInitArgs*>(arguments);
    char version[16], folder[MAX_PATH];
    std::snprintf(version, sizeof version, "0x%lx", static_cast<unsigned long>(init->version));
    record(std::string("create ") + version + " " + std::to_string(init->ignoreUnrecognized));
    bool automatic = false;
    std::string shared;
    for (jint i = 0; i < init->nOptions; ++i) {
        std::string option = init->options[i].optionString;
        record("option " + option);
        if (option == "exit") exit_hook = reinterpret_cast<void(JNICALL*)(jint)>(init->options[i].extraInfo);
        if (option.starts_with("-XX:ArchiveClassesAtExit=")) archive_to_record = option.substr(option.find('=') + 1);
        if (option.starts_with("-XX:SharedArchiveFile=")) shared = option.substr(option.find('=') + 1);
        automatic = automatic || option == "-XX:+AutoCreateSharedArchive";
    }
    if (automatic && GetFileAttributesA(shared.c_str()) == INVALID_FILE_ATTRIBUTES) archive_to_record = shared;
    for (const char* name : {"JX_JVM_PATH", "JX_JVM_HOME", "Path"}) {
        record(std::string("env ") + name + "=" + environment(name));
    }
    record("cwd " + std::string(folder, GetCurrentDirectoryA(sizeof folder, folder)));
    ULONG_PTR stack_low = 0, stack_high = 0;
    GetCurrentThreadStackLimits(&stack_low, &stack_high);
    record("stack " + std::to_string(stack_high - stack_low));
    if (!value_of("create").empty()) return std::stoi(value_of("create"));
    hold_while_missing(value_of("hold-create"));
    if (!value_of("hold-create").empty()) record("created");
    *vm = &machine;
    *env = &machine_environment;
    return JNI_OK;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    char path[MAX_PATH];
    if (reason == DLL_PROCESS_ATTACH) {
        std::string library(path, GetModuleFileNameA(instance, path, MAX_PATH));
        library_folder = library.substr(0, library.rfind('\\') + 1);
        record("library " + library);
    }
    return TRUE;
}

} // extern "C"
