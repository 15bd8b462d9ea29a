#include "vm/java_vm.h"

#include <memory>

#include "vm/jni_interface.h"

namespace embark {

namespace {

jni::CreateJavaVmFunction create_entry(const LauncherState& state) {
    return reinterpret_cast<jni::CreateJavaVmFunction>(state.create_java_vm);
}

jni::GetDefaultJavaVmInitArgsFunction default_args_entry(const LauncherState& state) {
    return reinterpret_cast<jni::GetDefaultJavaVmInitArgsFunction>(state.get_default_java_vm_init_args);
}

JavaVM* java_vm(const LauncherState& state) {
    return reinterpret_cast<JavaVM*>(state.java_vm);
}

// Prints a pending Java exception with its stack trace (and clears it).
bool describe_pending_exception(JNIEnv* env) {
    if (env->ExceptionOccurred() == nullptr) {
        return false;
    }
    env->ExceptionDescribe();
    return true;
}

// The modified UTF-8 bytes of a Java string, released on every path.
class Utf8Chars {
public:
    Utf8Chars(JNIEnv* env, jstring text)
        : env_(env), text_(text), chars_(env->GetStringUTFChars(text, nullptr)) {}
    ~Utf8Chars() {
        if (chars_ != nullptr) {
            env_->ReleaseStringUTFChars(text_, chars_);
        }
    }
    Utf8Chars(const Utf8Chars&) = delete;
    Utf8Chars& operator=(const Utf8Chars&) = delete;
    const char* get() const { return chars_; }

private:
    JNIEnv* env_;
    jstring text_;
    const char* chars_;
};

std::string reason_text(const Messages& messages, jint result) {
    static const MessageId reasons[] = {
        MessageId::reason_unknown, MessageId::reason_detached, MessageId::reason_version,
        MessageId::reason_no_memory, MessageId::reason_exists, MessageId::reason_invalid,
    };
    if (result >= -6 && result <= -1) {
        return messages.load(reasons[-result - 1]);
    }
    return {};
}

// A new object of the class through its one-argument constructor; null on failure.
jobject construct(JNIEnv* env, const char* class_name, const char* signature, jobject argument) {
    jclass type = env->FindClass(class_name);
    if (type == nullptr) {
        return nullptr;
    }
    jmethodID constructor = env->GetMethodID(type, "<init>", signature);
    if (constructor == nullptr) {
        return nullptr;
    }
    return env->NewObject(type, constructor, argument);
}

// A print stream on the named file, which is emptied; null on failure.
jobject open_print_stream(JNIEnv* env, const std::string& file_name) {
    jobject name = make_java_string(env, file_name);
    if (name == nullptr) {
        return nullptr;
    }
    jobject file_stream = construct(env, "java/io/FileOutputStream", "(Ljava/lang/String;)V", name);
    if (file_stream == nullptr) {
        return nullptr;
    }
    return construct(env, "java/io/PrintStream", "(Ljava/io/OutputStream;)V", file_stream);
}

// Replaces System.out or System.err with the print stream.
bool install_stream(JNIEnv* env, jobject print_stream, const char* setter) {
    if (print_stream == nullptr) {
        return false;
    }
    jclass system_class = env->FindClass("java/lang/System");
    if (system_class == nullptr) {
        return false;
    }
    jmethodID set_stream = env->GetStaticMethodID(system_class, setter, "(Ljava/io/PrintStream;)V");
    if (set_stream == nullptr) {
        return false;
    }
    env->CallStaticVoidMethod(system_class, set_stream, print_stream);
    return !describe_pending_exception(env);
}

void redirect_standard_streams(platform::FileSystem& files, JNIEnv* env, const LauncherState& state) {
    // A failed redirection leaves the stream where it was; the start goes on.
    jobject output = nullptr;
    if (!state.output_file.empty()) {
        output = open_print_stream(env, state.output_file);
        if (!install_stream(env, output, "setOut")) {
            describe_pending_exception(env);
        }
    }
    if (state.error_file.empty()) {
        return;
    }
    // Both streams in one file write through one stream, in order: two would
    // each empty the file and write over each other.
    jobject error = output != nullptr && files.same_file(state.output_file, state.error_file)
                        ? output
                        : open_print_stream(env, state.error_file);
    if (!install_stream(env, error, "setErr")) {
        describe_pending_exception(env);
    }
}

bool create_java_vm(platform::FileSystem& files, const Messages& messages, LauncherState& state) {
    std::vector<JavaVMOption> options(state.options.size());
    for (size_t i = 0; i < state.options.size(); ++i) {
        options[i].optionString = const_cast<char*>(state.options[i].c_str());
        options[i].extraInfo = nullptr;
    }
    JavaVMInitArgs arguments{};
    arguments.version = jni::version_1_2;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    void* env = nullptr;
    jint result = create_entry(state)(&vm, &env, &arguments);
    if (result != JNI_OK) {
        messages.print_error(messages.load(MessageId::jni_exception),
                             messages.load(MessageId::create_vm_failed), reason_text(messages, result));
        return false;
    }
    state.java_vm = vm;
    state.jni_env = static_cast<JNIEnv*>(env);
    redirect_standard_streams(files, state.jni_env, state);
    return true;
}

bool call_main(const Messages& messages, LauncherState& state) {
    JNIEnv* env = state.jni_env;
    jstring class_name = static_cast<jstring>(make_java_string(env, state.main_class));
    if (class_name == nullptr) {
        messages.print_error(messages.load(MessageId::main_class_load_failed), state.main_class);
        return false;
    }
    jclass main_class = nullptr;
    {
        Utf8Chars name(env, class_name);
        if (name.get() == nullptr) {
            describe_pending_exception(env);
            return false;
        }
        main_class = env->FindClass(name.get());
        if (main_class == nullptr) {
            describe_pending_exception(env);
            messages.print_error(messages.load(MessageId::main_class_not_found), name.get());
            return false;
        }
    }
    jmethodID main_method = env->GetStaticMethodID(main_class, "main", "([Ljava/lang/String;)V");
    if (main_method == nullptr) {
        if (!describe_pending_exception(env)) {
            messages.print_error(messages.load(MessageId::no_main_method));
        }
        return false;
    }
    jobject arguments = make_java_string_array(env, state.arguments);
    if (arguments == nullptr) {
        describe_pending_exception(env);
        return false;
    }
    env->CallStaticVoidMethod(main_class, main_method, arguments);
    // An exception escaping main is shown, and main still counts as run.
    describe_pending_exception(env);
    return true;
}

struct JavaThreadContext {
    platform::FileSystem& files;
    const Messages& messages;
    LauncherState& state;
};

uint32_t java_thread_body(void* argument) {
    auto* context = static_cast<JavaThreadContext*>(argument);
    LauncherState& state = context->state;
    if (!create_java_vm(context->files, context->messages, state)) {
        return 1;
    }
    bool called = call_main(context->messages, state);
    // Detach on every path: the machine's end waits for attached threads, so a
    // thread that left attached would keep a failed start from ending.
    bool detached = java_vm(state)->DetachCurrentThread() == JNI_OK;
    return called && detached ? 0 : 1;
}

// The JDK's own launcher gives the thread that creates the machine at least
// this much: enough for the machine to start and refuse too small an -Xss
// with its own message, instead of overflowing the stack before it can check.
constexpr uint32_t smallest_java_stack_size = 64 * 1024;

uint32_t default_java_stack_size(const LauncherState& state) {
    jni::Jdk11InitArgs arguments{};
    arguments.version = jni::version_1_1;
    default_args_entry(state)(&arguments);
    return arguments.javaStackSize > 0 ? static_cast<uint32_t>(arguments.javaStackSize) : 0;
}

} // namespace

bool load_runtime_library(platform::System& system, const Messages& messages, LauncherState& state) {
    unsigned long error = 0;
    void* library = system.libraries.load(state.vm_library_path, error);
    if (library == nullptr) {
        messages.print_error(messages.load(MessageId::vm_library_load_failed), state.vm_library_path,
                             static_cast<long long>(static_cast<int32_t>(error)));
        return false;
    }
    auto report_missing_entry = [&] {
        messages.print_error(messages.load(MessageId::windows_exception),
                             messages.load(MessageId::no_create_java_vm),
                             static_cast<long long>(static_cast<int32_t>(error)));
        return false;
    };
    state.create_java_vm = system.libraries.symbol(library, "JNI_CreateJavaVM", error);
    if (state.create_java_vm == nullptr) {
        return report_missing_entry();
    }
    state.get_default_java_vm_init_args = system.libraries.symbol(library, "JNI_GetDefaultJavaVMInitArgs", error);
    if (state.get_default_java_vm_init_args == nullptr) {
        return report_missing_entry();
    }
    return true;
}

uint32_t run_java_thread(platform::System& system, const Messages& messages, LauncherState& state) {
    if (state.java_thread_stack_size == 0) {
        state.java_thread_stack_size = default_java_stack_size(state);
    }
    uint32_t stack_size = state.java_thread_stack_size;
    if (stack_size != 0 && stack_size < smallest_java_stack_size) {
        stack_size = smallest_java_stack_size;
    }
    JavaThreadContext context{system.files, messages, state};
    uint32_t result = 1;
    if (!system.threads.run_and_wait(stack_size, java_thread_body, &context, result)) {
        result = java_thread_body(&context);
    }
    return result;
}

void destroy_java_vm(LauncherState& state) {
    if (state.java_vm != nullptr) {
        java_vm(state)->DestroyJavaVM();
        state.java_vm = nullptr;
        state.jni_env = nullptr;
    }
}

jobject make_java_string(JNIEnv* env, const std::string& text) {
    jclass string_class = env->FindClass("java/lang/String");
    if (string_class == nullptr) {
        return nullptr;
    }
    jmethodID from_bytes = env->GetMethodID(string_class, "<init>", "([B)V");
    if (from_bytes == nullptr) {
        return nullptr;
    }
    jsize length = static_cast<jsize>(text.size());
    jbyteArray bytes = env->NewByteArray(length);
    if (bytes == nullptr) {
        return nullptr;
    }
    env->SetByteArrayRegion(bytes, 0, length, reinterpret_cast<const jbyte*>(text.data()));
    jobject result = nullptr;
    if (env->ExceptionOccurred() == nullptr) {
        result = env->NewObject(string_class, from_bytes, bytes);
    }
    env->DeleteLocalRef(bytes);
    return result;
}

jobject make_java_string_array(JNIEnv* env, const std::vector<std::string>& texts) {
    jclass string_class = env->FindClass("java/lang/String");
    if (string_class == nullptr) {
        return nullptr;
    }
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), string_class, nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        jobject text = make_java_string(env, texts[i]);
        if (text == nullptr) {
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
        env->DeleteLocalRef(text);
    }
    return array;
}

} // namespace embark
