// A stand-in for a Java runtime's jvm.dll, for the Wine tests of the launcher.
// It plays just enough of a virtual machine for the launcher's start-up and
// writes down, line by line, what the launcher asked of it. README.md beside
// this file describes the record and the environment variables it obeys.
//
// Built three times: with both entry points exported, with JNI_CreateJavaVM
// only, and with neither (EMBARK_JVM_DOUBLE_EXPORT_CREATE and
// EMBARK_JVM_DOUBLE_EXPORT_DEFAULT_ARGS say which).

#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef EMBARK_JVM_DOUBLE_EXPORT_CREATE
#define EMBARK_JVM_DOUBLE_EXPORT_CREATE 1
#endif
#ifndef EMBARK_JVM_DOUBLE_EXPORT_DEFAULT_ARGS
#define EMBARK_JVM_DOUBLE_EXPORT_DEFAULT_ARGS 1
#endif

namespace {

// ---------------------------------------------------------------------------
// Environment, record file, failures

std::optional<std::string> environment_variable(const char* name) {
    std::string value(256, '\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length); // the size needed, terminator included
    }
}

void write_error(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// Appends one line to the file named by EMBARK_JVM_DOUBLE_RECORD. The file is
// opened and closed for every line: WriteFile hands the bytes to the system at
// once, so a process ended by ExitProcess loses nothing.
void record(std::string_view line) {
    const auto path = environment_variable("EMBARK_JVM_DOUBLE_RECORD");
    if (!path || path->empty()) return;
    const HANDLE file = CreateFileA(path->c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        write_error("jvm double: cannot open the record file " + *path + "\n");
        return;
    }
    std::string text(line);
    text += '\n';
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

[[noreturn]] void fail(const std::string& what, UINT exit_code) {
    record(what);
    write_error("jvm double: " + what + "\n");
    ExitProcess(exit_code);
}

std::string hex(jint value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string module_path(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string current_directory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string directory(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, directory.data());
    directory.resize(length < size ? length : 0);
    return directory;
}

// The reserved size of the calling thread's stack: from its top down to the
// start of the reservation.
std::optional<unsigned long long> reserved_stack_size() {
    using StackLimits = VOID(WINAPI*)(PULONG_PTR, PULONG_PTR);
    if (const HMODULE kernel32 = GetModuleHandleA("kernel32.dll")) {
        if (const FARPROC address = GetProcAddress(kernel32, "GetCurrentThreadStackLimits")) {
            StackLimits limits;
            std::memcpy(&limits, &address, sizeof limits);
            ULONG_PTR low = 0;
            ULONG_PTR high = 0;
            limits(&low, &high);
            if (low != 0 && high > low) return high - low;
        }
    }
    // Windows before 8: the regions of the reservation the stack lives in.
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(&region, &region, sizeof region) || !region.AllocationBase) return std::nullopt;
    void* const base = region.AllocationBase;
    unsigned long long size = 0;
    auto* address = static_cast<const unsigned char*>(base);
    while (VirtualQuery(address, &region, sizeof region) && region.AllocationBase == base) {
        size += region.RegionSize;
        address += region.RegionSize;
    }
    if (size == 0) return std::nullopt;
    return size;
}

std::optional<long> parse_number(std::string_view text) {
    const std::string copy(text);
    if (copy.empty()) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(copy.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    return value;
}

// ---------------------------------------------------------------------------
// What the double plays (EMBARK_JVM_DOUBLE_SCENARIO)

struct Scenario {
    bool main_throws = false;
    bool no_class = false;
    bool no_method = false;
    bool no_method_exception = false;
    bool no_file = false;
    bool no_string = false;
    bool detach_fails = false;
    std::optional<long> exit_code;
    std::optional<long> create_result;
};

Scenario read_scenario() {
    Scenario scenario;
    const std::string text = environment_variable("EMBARK_JVM_DOUBLE_SCENARIO").value_or("returns");
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view item = std::string_view(text).substr(start, end - start);
        start = end + 1;

        const auto number_after = [&](std::string_view prefix) -> std::optional<long> {
            if (item.substr(0, prefix.size()) != prefix) return std::nullopt;
            const auto value = parse_number(item.substr(prefix.size()));
            if (!value) fail("unknown scenario " + std::string(item), 98);
            return value;
        };
        if (item.empty() || item == "returns") {
        } else if (item == "throws") {
            scenario.main_throws = true;
        } else if (item == "no-class") {
            scenario.no_class = true;
        } else if (item == "no-method") {
            scenario.no_method = true;
        } else if (item == "no-method-exception") {
            scenario.no_method_exception = true;
        } else if (item == "no-file") {
            scenario.no_file = true;
        } else if (item == "no-string") {
            scenario.no_string = true;
        } else if (item == "detach-fails") {
            scenario.detach_fails = true;
        } else if (const auto code = number_after("exit:")) {
            scenario.exit_code = code;
        } else if (const auto result = number_after("create:")) {
            scenario.create_result = result;
        } else {
            fail("unknown scenario " + std::string(item), 98);
        }
    }
    return scenario;
}

// ---------------------------------------------------------------------------
// Objects: heap records behind the handles the launcher receives

enum class Kind { type, string, byte_array, object_array, file_stream, print_stream, throwable, plain };

struct Object {
    Kind kind = Kind::plain;
    // type: its name; string and byte array: the bytes; file stream: the file
    // name; throwable: the line ExceptionDescribe prints.
    std::string text;
    const Object* type = nullptr;  // the class of an instance
    std::vector<Object*> elements; // object array
    Object* target = nullptr;      // print stream: the stream it writes to
};

struct Method {
    std::string class_name;
    std::string name;
    std::string signature;
};

struct Machine {
    std::mutex lock;
    std::deque<std::unique_ptr<Object>> objects;
    std::deque<std::unique_ptr<Method>> methods;
    std::map<std::string, Object*, std::less<>> types;
    Object* pending = nullptr;
    Scenario scenario;
};

// Never destroyed: the process may end on any thread at any moment.
Machine& machine() {
    static Machine* const instance = new Machine;
    return *instance;
}

Object* make(Kind kind, std::string text = {}, const Object* type = nullptr) {
    auto object = std::make_unique<Object>();
    object->kind = kind;
    object->text = std::move(text);
    object->type = type;
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    return vm.objects.emplace_back(std::move(object)).get();
}

Object* type_named(std::string_view name) {
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    if (const auto found = vm.types.find(name); found != vm.types.end()) return found->second;
    auto type = std::make_unique<Object>();
    type->kind = Kind::type;
    type->text = std::string(name);
    Object* result = vm.objects.emplace_back(std::move(type)).get();
    vm.types.emplace(std::string(name), result);
    return result;
}

Method* make_method(const Object* type, const char* name, const char* signature) {
    auto method = std::make_unique<Method>();
    method->class_name = type ? type->text : "<null>";
    method->name = name ? name : "<null>";
    method->signature = signature ? signature : "<null>";
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    return vm.methods.emplace_back(std::move(method)).get();
}

void throw_new(const std::string& description) {
    Object* exception = make(Kind::throwable, description);
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    vm.pending = exception;
}

Object* object_of(jobject handle) { return reinterpret_cast<Object*>(handle); }
Method* method_of(jmethodID handle) { return reinterpret_cast<Method*>(handle); }
template <typename Handle> Handle handle_of(Object* object) { return reinterpret_cast<Handle>(object); }

std::string name_of(jclass type) {
    const Object* object = object_of(type);
    return object ? object->text : "<null>";
}

bool is_string(const Object* object) { return object && object->kind == Kind::string; }

// The parameter kinds of a method signature: the primitive's letter, or 'L'
// for any reference (objects and arrays).
std::vector<char> parameter_kinds(const Method* method) {
    std::vector<char> kinds;
    if (!method) return kinds;
    const std::string& signature = method->signature;
    std::size_t at = signature.find('(');
    if (at == std::string::npos) return kinds;
    for (++at; at < signature.size() && signature[at] != ')'; ++at) {
        char kind = signature[at];
        if (kind == '[') {
            while (at < signature.size() && signature[at] == '[') ++at;
            if (at < signature.size() && signature[at] == 'L') at = signature.find(';', at);
            kind = 'L';
        } else if (kind == 'L') {
            at = signature.find(';', at);
        }
        if (at == std::string::npos) break;
        kinds.push_back(kind);
    }
    return kinds;
}

std::vector<jvalue> arguments(const Method* method, va_list list) {
    std::vector<jvalue> values;
    for (const char kind : parameter_kinds(method)) {
        jvalue value{};
        switch (kind) {
        case 'Z': value.z = static_cast<jboolean>(va_arg(list, int)); break;
        case 'B': value.b = static_cast<jbyte>(va_arg(list, int)); break;
        case 'C': value.c = static_cast<jchar>(va_arg(list, int)); break;
        case 'S': value.s = static_cast<jshort>(va_arg(list, int)); break;
        case 'I': value.i = va_arg(list, jint); break;
        case 'J': value.j = va_arg(list, jlong); break;
        case 'F': value.f = static_cast<jfloat>(va_arg(list, double)); break;
        case 'D': value.d = va_arg(list, double); break;
        default: value.l = va_arg(list, jobject); break;
        }
        values.push_back(value);
    }
    return values;
}

// The first argument when it is a reference, else null.
Object* first_object(const Method* method, const jvalue* args) {
    const std::vector<char> kinds = parameter_kinds(method);
    if (kinds.empty() || kinds.front() != 'L' || !args) return nullptr;
    return object_of(args[0].l);
}

// ---------------------------------------------------------------------------
// The functions of the JNI environment the launcher uses

bool is_system_class(std::string_view name) {
    return name == "java/lang/String" || name == "java/io/FileOutputStream" ||
           name == "java/io/PrintStream" || name == "java/lang/System";
}

jclass JNICALL find_class(JNIEnv*, const char* name) {
    const std::string text = name ? name : "<null>";
    record("FindClass " + text);
    if (machine().scenario.no_class && !is_system_class(text)) {
        throw_new("java.lang.NoClassDefFoundError: " + text);
        return nullptr;
    }
    return handle_of<jclass>(type_named(text));
}

jmethodID JNICALL get_method_id(JNIEnv*, jclass type, const char* name, const char* signature) {
    Method* method = make_method(object_of(type), name, signature);
    record("GetMethodID " + method->class_name + " " + method->name + " " + method->signature);
    return reinterpret_cast<jmethodID>(method);
}

jmethodID JNICALL get_static_method_id(JNIEnv*, jclass type, const char* name, const char* signature) {
    Method* method = make_method(object_of(type), name, signature);
    record("GetStaticMethodID " + method->name + " " + method->signature);
    if (method->name == "main") {
        const Scenario& scenario = machine().scenario;
        if (scenario.no_method_exception) {
            throw_new("java.lang.NoSuchMethodError: main");
            return nullptr;
        }
        if (scenario.no_method) return nullptr;
    }
    return reinterpret_cast<jmethodID>(method);
}

jobject JNICALL new_object_a(JNIEnv*, jclass type, jmethodID method_id, const jvalue* args) {
    const Object* klass = object_of(type);
    const std::string class_name = name_of(type);
    Object* first = first_object(method_of(method_id), args);

    if (class_name == "java/lang/String") {
        if (machine().scenario.no_string) {
            throw_new("java.lang.OutOfMemoryError: no strings in this scenario");
            return nullptr;
        }
        if (first && first->kind == Kind::byte_array) {
            record("string " + first->text);
            return handle_of<jobject>(make(Kind::string, first->text, klass));
        }
        return handle_of<jobject>(make(Kind::string, {}, klass));
    }
    if (class_name == "java/io/FileOutputStream") {
        const std::string file_name = is_string(first) ? first->text : std::string();
        if (machine().scenario.no_file) {
            throw_new("java.io.FileNotFoundException: " + file_name);
            return nullptr;
        }
        return handle_of<jobject>(make(Kind::file_stream, file_name, klass));
    }
    if (class_name == "java/io/PrintStream") {
        Object* stream = make(Kind::print_stream, {}, klass);
        stream->target = first;
        return handle_of<jobject>(stream);
    }
    return handle_of<jobject>(make(Kind::plain, {}, klass));
}

jobject JNICALL new_object_v(JNIEnv* env, jclass type, jmethodID method, va_list list) {
    const std::vector<jvalue> values = arguments(method_of(method), list);
    return new_object_a(env, type, method, values.data());
}

jobject JNICALL new_object(JNIEnv* env, jclass type, jmethodID method, ...) {
    va_list list;
    va_start(list, method);
    const jobject result = new_object_v(env, type, method, list);
    va_end(list);
    return result;
}

jbyteArray JNICALL new_byte_array(JNIEnv*, jsize length) {
    return handle_of<jbyteArray>(make(Kind::byte_array, std::string(length > 0 ? length : 0, '\0')));
}

void JNICALL set_byte_array_region(JNIEnv*, jbyteArray array, jsize start, jsize length, const jbyte* bytes) {
    Object* object = object_of(array);
    if (!object || start < 0 || length < 0 || static_cast<std::size_t>(start) + length > object->text.size()) {
        throw_new("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    if (length > 0) std::memcpy(object->text.data() + start, bytes, static_cast<std::size_t>(length));
}

jobjectArray JNICALL new_object_array(JNIEnv*, jsize length, jclass element_type, jobject initial) {
    Object* array = make(Kind::object_array, {}, object_of(element_type));
    array->elements.assign(length > 0 ? length : 0, object_of(initial));
    return handle_of<jobjectArray>(array);
}

void JNICALL set_object_array_element(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    Object* object = object_of(array);
    if (!object || index < 0 || static_cast<std::size_t>(index) >= object->elements.size()) {
        throw_new("java.lang.ArrayIndexOutOfBoundsException");
        return;
    }
    object->elements[index] = object_of(value);
}

void JNICALL delete_local_ref(JNIEnv*, jobject) {}

const char* JNICALL get_string_utf_chars(JNIEnv*, jstring string, jboolean* is_copy) {
    if (is_copy) *is_copy = JNI_FALSE;
    const Object* object = object_of(string);
    return object ? object->text.c_str() : nullptr;
}

void JNICALL release_string_utf_chars(JNIEnv*, jstring, const char*) {}

// A static call: System.setOut and setErr are noted with the file they write
// to, anything else as a call with its String[] argument.
void call_static(jclass type, jmethodID method_id, const jvalue* args) {
    const std::string class_name = name_of(type);
    const Method* method = method_of(method_id);
    const std::string method_name = method ? method->name : "<null>";
    Object* first = first_object(method, args);

    if (class_name == "java/lang/System" && (method_name == "setOut" || method_name == "setErr")) {
        const Object* stream = first;
        for (int depth = 0; stream && stream->kind == Kind::print_stream && depth < 16; ++depth)
            stream = stream->target;
        record(method_name + " " + (stream && stream->kind == Kind::file_stream ? stream->text : "<not a file>"));
        return;
    }

    record("call " + class_name + "." + method_name);
    if (first && first->kind == Kind::object_array) {
        for (std::size_t i = 0; i < first->elements.size(); ++i) {
            const Object* element = first->elements[i];
            record("arg[" + std::to_string(i) + "]=" +
                   (is_string(element) ? element->text : element ? "<not a string>" : "<null>"));
        }
    }
    if (method_name == "main") {
        const Scenario& scenario = machine().scenario;
        if (scenario.exit_code) ExitProcess(static_cast<UINT>(*scenario.exit_code));
        if (scenario.main_throws) throw_new("Exception in thread \"main\" java.lang.RuntimeException: thrown by main");
    }
}

void JNICALL call_static_void_method_a(JNIEnv*, jclass type, jmethodID method, const jvalue* args) {
    call_static(type, method, args);
}

void JNICALL call_static_void_method_v(JNIEnv*, jclass type, jmethodID method, va_list list) {
    const std::vector<jvalue> values = arguments(method_of(method), list);
    call_static(type, method, values.data());
}

void JNICALL call_static_void_method(JNIEnv* env, jclass type, jmethodID method, ...) {
    va_list list;
    va_start(list, method);
    call_static_void_method_v(env, type, method, list);
    va_end(list);
}

jint JNICALL call_static_int_method_a(JNIEnv*, jclass type, jmethodID method, const jvalue* args) {
    call_static(type, method, args);
    return 0;
}

jint JNICALL call_static_int_method_v(JNIEnv*, jclass type, jmethodID method, va_list list) {
    const std::vector<jvalue> values = arguments(method_of(method), list);
    call_static(type, method, values.data());
    return 0;
}

jint JNICALL call_static_int_method(JNIEnv* env, jclass type, jmethodID method, ...) {
    va_list list;
    va_start(list, method);
    const jint result = call_static_int_method_v(env, type, method, list);
    va_end(list);
    return result;
}

jthrowable JNICALL exception_occurred(JNIEnv*) {
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    return handle_of<jthrowable>(vm.pending);
}

jboolean JNICALL exception_check(JNIEnv*) {
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    return vm.pending ? JNI_TRUE : JNI_FALSE;
}

void JNICALL exception_clear(JNIEnv*) {
    Machine& vm = machine();
    const std::lock_guard guard(vm.lock);
    vm.pending = nullptr;
}

void JNICALL exception_describe(JNIEnv*) {
    Machine& vm = machine();
    const Object* exception = nullptr;
    {
        const std::lock_guard guard(vm.lock);
        exception = std::exchange(vm.pending, nullptr);
    }
    if (!exception) {
        record("exception-describe <none>");
        return;
    }
    record("exception-describe " + exception->text);
    write_error(exception->text + "\n");
}

// Every slot of the table the launcher has no business calling ends the
// process, naming the slot's index.
[[noreturn]] void unexpected(const char* table, std::size_t index) {
    fail(std::string("unexpected ") + table + " #" + std::to_string(index), 97);
}

struct FunctionStubs {
    template <std::size_t Index> static void JNICALL function(JNIEnv*) { unexpected("JNI function", Index); }
};
struct InvokeStubs {
    template <std::size_t Index> static void JNICALL function(JavaVM*) { unexpected("JNI invoke function", Index); }
};

// A table whose every slot holds a stub of its own.
using Slot = void (*)();
template <typename Table, typename Stubs, std::size_t... Index>
Table stub_table(std::index_sequence<Index...>) {
    static_assert(sizeof(Table) == sizeof...(Index) * sizeof(Slot));
    const Slot slots[] = {reinterpret_cast<Slot>(&Stubs::template function<Index>)...};
    Table table;
    std::memcpy(&table, slots, sizeof table);
    return table;
}

const JNINativeInterface_ function_table = [] {
    auto table = stub_table<JNINativeInterface_, FunctionStubs>(
        std::make_index_sequence<sizeof(JNINativeInterface_) / sizeof(Slot)>());
    table.FindClass = find_class;
    table.GetMethodID = get_method_id;
    table.GetStaticMethodID = get_static_method_id;
    table.NewObject = new_object;
    table.NewObjectV = new_object_v;
    table.NewObjectA = new_object_a;
    table.NewByteArray = new_byte_array;
    table.SetByteArrayRegion = set_byte_array_region;
    table.NewObjectArray = new_object_array;
    table.SetObjectArrayElement = set_object_array_element;
    table.DeleteLocalRef = delete_local_ref;
    table.GetStringUTFChars = get_string_utf_chars;
    table.ReleaseStringUTFChars = release_string_utf_chars;
    table.CallStaticVoidMethod = call_static_void_method;
    table.CallStaticVoidMethodV = call_static_void_method_v;
    table.CallStaticVoidMethodA = call_static_void_method_a;
    table.CallStaticIntMethod = call_static_int_method;
    table.CallStaticIntMethodV = call_static_int_method_v;
    table.CallStaticIntMethodA = call_static_int_method_a;
    table.ExceptionOccurred = exception_occurred;
    table.ExceptionDescribe = exception_describe;
    table.ExceptionClear = exception_clear;
    table.ExceptionCheck = exception_check;
    return table;
}();

JNIEnv environment{&function_table};

// ---------------------------------------------------------------------------
// The invocation interface

bool is_supported_version(jint version) {
    return version == JNI_VERSION_1_2 || version == JNI_VERSION_1_4 || version == JNI_VERSION_1_6 ||
           version == JNI_VERSION_1_8 || version == JNI_VERSION_9 || version == JNI_VERSION_10;
}

jint JNICALL destroy_java_vm(JavaVM*) {
    record("destroy");
    return JNI_OK;
}

jint JNICALL attach_current_thread(JavaVM*, void** penv, void*) {
    *penv = &environment;
    return JNI_OK;
}

jint JNICALL detach_current_thread(JavaVM*) {
    record("detach");
    return machine().scenario.detach_fails ? JNI_ERR : JNI_OK;
}

jint JNICALL get_env(JavaVM*, void** penv, jint version) {
    if (!is_supported_version(version)) {
        *penv = nullptr;
        return JNI_EVERSION;
    }
    *penv = &environment;
    return JNI_OK;
}

const JNIInvokeInterface_ invoke_table = [] {
    auto table = stub_table<JNIInvokeInterface_, InvokeStubs>(
        std::make_index_sequence<sizeof(JNIInvokeInterface_) / sizeof(Slot)>());
    table.DestroyJavaVM = destroy_java_vm;
    table.AttachCurrentThread = attach_current_thread;
    table.DetachCurrentThread = detach_current_thread;
    table.GetEnv = get_env;
    table.AttachCurrentThreadAsDaemon = attach_current_thread;
    return table;
}();

JavaVM virtual_machine{&invoke_table};

// The argument record of JNI 1.1's JNI_GetDefaultJavaVMInitArgs.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    void* vfprintf;
    void* exit;
    void* abort;
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

[[maybe_unused]] jint default_init_args(void* args) {
    if (!args) {
        record("default-args <null>");
        return JNI_ERR;
    }
    const jint version = *static_cast<const jint*>(args);
    const std::string line = "default-args version=" + hex(version) + " -> ";
    if (version == JNI_VERSION_1_1) {
        jint stack = 1048576;
        if (const auto value = environment_variable("EMBARK_JVM_DOUBLE_STACK")) {
            if (const auto number = parse_number(*value)) stack = *number;
        }
        static_cast<Jdk11InitArgs*>(args)->javaStackSize = stack;
        record(line + "javaStackSize=" + std::to_string(stack));
        return JNI_OK;
    }
    if (is_supported_version(version)) {
        record(line + "unchanged");
        return JNI_OK;
    }
    record(line + "unsupported");
    return JNI_EVERSION;
}

void record_environment(const char* name) {
    record(std::string("env ") + name + "=" + environment_variable(name).value_or("<unset>"));
}

[[maybe_unused]] jint create_java_vm(JavaVM** pvm, void** penv, void* args) {
    Machine& vm = machine();
    vm.scenario = read_scenario();

    const auto* init = static_cast<const JavaVMInitArgs*>(args);
    if (!init) {
        record("create <null>");
        return JNI_EINVAL;
    }
    if (init->version != JNI_VERSION_1_2) {
        // Another version's record may be laid out differently: only its version is read.
        record("create version=" + hex(init->version));
        return JNI_EVERSION;
    }
    record("create version=" + hex(init->version) + " options=" + std::to_string(init->nOptions) +
           " ignoreUnrecognized=" + std::to_string(static_cast<int>(init->ignoreUnrecognized)));
    for (jint i = 0; i < init->nOptions; ++i) {
        const char* option = init->options[i].optionString;
        record(std::string("option ") + (option ? option : "<null>"));
    }
    record_environment("JX_JVM_PATH");
    record_environment("JX_JVM_HOME");
    record_environment("Path");
    record("cwd " + current_directory());
    if (const auto stack = reserved_stack_size()) record("thread-stack " + std::to_string(*stack));

    if (!init->ignoreUnrecognized) {
        for (jint i = 0; i < init->nOptions; ++i) {
            const std::string_view option = init->options[i].optionString ? init->options[i].optionString : "";
            if (option.starts_with("-Xunknown")) {
                record("create rejected " + std::string(option));
                return JNI_ERR;
            }
        }
    }
    if (vm.scenario.create_result) return static_cast<jint>(*vm.scenario.create_result);

    *pvm = &virtual_machine;
    *penv = &environment;
    return JNI_OK;
}

} // namespace

extern "C" {

#if EMBARK_JVM_DOUBLE_EXPORT_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) { return default_init_args(args); }
#endif

#if EMBARK_JVM_DOUBLE_EXPORT_CREATE
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
    return create_java_vm(pvm, penv, args);
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) record("library " + module_path(instance));
    return TRUE;
}

} // extern "C"
