#include "vm/java_vm.h"

namespace embark {

namespace {

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
        MessageId::reason_unknown,   MessageId::reason_detached, MessageId::reason_version,
        MessageId::reason_no_memory, MessageId::reason_exists,   MessageId::reason_invalid,
    };
    if (result >= -6 && result <= -1) {
        return messages.load(reasons[-result - 1]);
    }
    return {};
}

// A new object of the class through its one-argument constructor; null on failure.
jobject construct(JNIEnv* env, const char* class_name, const char* signature, jobject argument) {
    LocalRef<jclass> type(env, env->FindClass(class_name));
    if (!type) {
        return nullptr;
    }
    jmethodID constructor = env->GetMethodID(type.get(), "<init>", signature);
    if (constructor == nullptr) {
        return nullptr;
    }
    return env->NewObject(type.get(), constructor, argument);
}

// A print stream on the named file, which is emptied; null on failure.
jobject open_print_stream(JNIEnv* env, const std::string& file_name) {
    LocalRef<jobject> name(env, make_java_string(env, file_name));
    if (!name) {
        return nullptr;
    }
    LocalRef<jobject> file_stream(
        env, construct(env, "java/io/FileOutputStream", "(Ljava/lang/String;)V", name.get()));
    if (!file_stream) {
        return nullptr;
    }
    return construct(env, "java/io/PrintStream", "(Ljava/io/OutputStream;)V", file_stream.get());
}

// Replaces System.out or System.err with the print stream.
bool install_stream(JNIEnv* env, jobject print_stream, const char* setter) {
    if (print_stream == nullptr) {
        return false;
    }
    LocalRef<jclass> system_class(env, env->FindClass("java/lang/System"));
    if (!system_class) {
        return false;
    }
    jmethodID set_stream = env->GetStaticMethodID(system_class.get(), setter, "(Ljava/io/PrintStream;)V");
    if (set_stream == nullptr) {
        return false;
    }
    env->CallStaticVoidMethod(system_class.get(), set_stream, print_stream);
    return !describe_pending_exception(env);
}

void redirect_standard_streams(platform::FileSystem& files, JNIEnv* env, const VmSettings& settings) {
    // A failed redirection leaves the stream where it was; the start goes on.
    LocalRef<jobject> output(
        env, settings.output_file.empty() ? nullptr : open_print_stream(env, settings.output_file));
    if (!settings.output_file.empty() && !install_stream(env, output.get(), "setOut")) {
        describe_pending_exception(env);
    }
    if (settings.error_file.empty()) {
        return;
    }
    // Both streams in one file write through one stream, in order: two would
    // each empty the file and write over each other.
    bool shared = output && files.same_file(settings.output_file, settings.error_file);
    LocalRef<jobject> error(env, shared ? nullptr : open_print_stream(env, settings.error_file));
    if (!install_stream(env, shared ? output.get() : error.get(), "setErr")) {
        describe_pending_exception(env);
    }
}

// The text of a Java string as modified UTF-8; empty for null.
std::string utf8_text(JNIEnv* env, jobject text) {
    if (text == nullptr) {
        return {};
    }
    Utf8Chars chars(env, static_cast<jstring>(text));
    return chars.get() == nullptr ? std::string() : std::string(chars.get());
}

// The result of a method that returns a String, called with no argument or
// one String; empty, with nothing left pending, on any failure.
std::string call_for_string(JNIEnv* env, jclass type, jobject target, const char* name,
                            const char* argument) {
    LocalRef<jstring> argument_text(env, argument == nullptr ? nullptr : env->NewStringUTF(argument));
    jmethodID method = env->ExceptionCheck() ? nullptr
        : target != nullptr                  ? env->GetMethodID(type, name, "()Ljava/lang/String;")
                            : env->GetStaticMethodID(type, name, "(Ljava/lang/String;)Ljava/lang/String;");
    LocalRef<jobject> result(env,
                             method == nullptr ? nullptr
                                 : target != nullptr
                                 ? env->CallObjectMethod(target, method)
                                 : env->CallStaticObjectMethod(type, method, argument_text.get()));
    std::string text = result && !env->ExceptionCheck() ? utf8_text(env, result.get()) : std::string();
    env->ExceptionClear();
    return text;
}

// What the user can do when the main class is not found: the class path
// entries that name nothing, and, for a class compiled for a newer Java than
// the runtime's, both versions.
void print_main_class_hints(platform::System& system, const Messages& messages, JNIEnv* env,
                            jthrowable failure, const std::string& class_path) {
    for (const std::string& entry : missing_class_path_entries(system, class_path)) {
        messages.print_hint(MessageId::class_path_entry_not_found, {entry});
    }
    LocalRef<jclass> unsupported(env, env->FindClass("java/lang/UnsupportedClassVersionError"));
    LocalRef<jclass> system_class(env, unsupported ? env->FindClass("java/lang/System") : nullptr);
    if (system_class && failure != nullptr && env->IsInstanceOf(failure, unsupported.get())) {
        int needed = java_version_of_class_file_message(
            call_for_string(env, unsupported.get(), failure, "getMessage", nullptr));
        int running = java_feature_version(
            call_for_string(env, system_class.get(), nullptr, "getProperty", "java.specification.version"));
        if (running > 0 && needed > running) {
            messages.print_hint(MessageId::class_needs_newer_java, {needed, running});
        }
    }
    env->ExceptionClear(); // a hint that cannot be worked out is left out
}

bool call_main(platform::System& system, const Messages& messages, JNIEnv* env, const JavaMain& main,
               const std::string& class_path) {
    const std::string& main_class_name = main.settings.main_class;
    LocalRef<jstring> class_name(env, static_cast<jstring>(make_java_string(env, main_class_name)));
    if (!class_name) {
        messages.print_error(messages.load(MessageId::main_class_load_failed), main_class_name);
        return false;
    }
    LocalRef<jclass> main_class(env, nullptr);
    {
        Utf8Chars name(env, class_name.get());
        if (name.get() == nullptr) {
            describe_pending_exception(env);
            return false;
        }
        main_class.reset(env->FindClass(name.get()));
        if (!main_class) {
            // Kept past its description, which clears it, for the hints.
            LocalRef<jthrowable> failure(env, env->ExceptionOccurred());
            describe_pending_exception(env);
            messages.print_error(messages.load(MessageId::main_class_not_found), name.get());
            print_main_class_hints(system, messages, env, failure.get(), class_path);
            return false;
        }
    }
    jmethodID main_method = env->GetStaticMethodID(main_class.get(), "main", "([Ljava/lang/String;)V");
    if (main_method == nullptr) {
        if (!describe_pending_exception(env)) {
            messages.print_error(messages.load(MessageId::no_main_method));
        }
        return false;
    }
    LocalRef<jobject> arguments(env, make_java_string_array(env, main.arguments));
    if (!arguments) {
        describe_pending_exception(env);
        return false;
    }
    env->CallStaticVoidMethod(main_class.get(), main_method, arguments.get());
    // An exception escaping main is shown, and main still counts as run.
    describe_pending_exception(env);
    return true;
}

struct JavaThreadContext {
    platform::System& system;
    const Messages& messages;
    VmSession& session;
    const VmOptions& options;
    const JavaMain& main;
};

uint32_t java_thread_body(void* argument) {
    auto* context = static_cast<JavaThreadContext*>(argument);
    VmSession& session = context->session;
    if (!session.create(context->messages, context->options.options, context->options.exit_hook)) {
        return 1;
    }
    if (context->options.machine_created != nullptr) {
        context->options.machine_created(context->options.machine_created_context, session.env());
    }
    redirect_standard_streams(context->system.files, session.env(), context->main.settings);
    bool called = call_main(context->system, context->messages, session.env(), context->main,
                            context->options.class_path);
    // Detach on every path: the machine's end waits for attached threads, so a
    // thread that left attached would keep a failed start from ending.
    bool detached = session.vm()->DetachCurrentThread() == JNI_OK;
    return called && detached ? 0 : 1;
}

// The JDK's own launcher gives the thread that creates the machine at least
// this much: enough for the machine to start and refuse too small an -Xss
// with its own message, instead of overflowing the stack before it can check.
constexpr uint32_t smallest_java_stack_size = 64 * 1024;

} // namespace

bool describe_pending_exception(JNIEnv* env) {
    LocalRef<jthrowable> pending(env, env->ExceptionOccurred());
    if (!pending) {
        return false;
    }
    env->ExceptionDescribe();
    return true;
}

jclass find_class_named(JNIEnv* env, const std::string& name) {
    LocalRef<jstring> text(env, static_cast<jstring>(make_java_string(env, name)));
    if (!text) {
        return nullptr;
    }
    Utf8Chars bytes(env, text.get());
    return bytes.get() == nullptr ? nullptr : env->FindClass(bytes.get());
}

bool MachinePresence::run_attached(const std::function<void(JNIEnv*)>& use) {
    settled_.wait();
    JavaVM* vm = vm_.load();
    if (gone_.load() || vm == nullptr) {
        return false;
    }
    void* env = nullptr;
    if (vm->AttachCurrentThread(&env, nullptr) != JNI_OK) {
        return false;
    }
    use(static_cast<JNIEnv*>(env));
    vm->DetachCurrentThread();
    return true;
}

void MachinePresence::created(JavaVM* vm) {
    vm_.store(vm);
    if (on_created_) {
        on_created_();
    }
    settled_.set();
}

void MachinePresence::gone() {
    gone_.store(true);
    vm_.store(nullptr);
    settled_.set();
}

bool VmSession::load(platform::System& system, const Messages& messages, const std::string& vm_library_path) {
    platform::Expected<void*> library = system.libraries.load(vm_library_path);
    if (!library) {
        messages.print_error(messages.load(MessageId::vm_library_load_failed), vm_library_path,
                             library.error());
        return false;
    }
    auto report_missing_entry = [&](platform::SystemError error) {
        messages.print_error(messages.load(MessageId::windows_exception),
                             messages.load(MessageId::no_create_java_vm), error);
        return false;
    };
    platform::Expected<void*> create = system.libraries.symbol(*library, "JNI_CreateJavaVM");
    if (!create) {
        return report_missing_entry(create.error());
    }
    platform::Expected<void*> default_init_args =
        system.libraries.symbol(*library, "JNI_GetDefaultJavaVMInitArgs");
    if (!default_init_args) {
        return report_missing_entry(default_init_args.error());
    }
    create_ = reinterpret_cast<jni::CreateJavaVmFunction>(*create);
    default_init_args_ = reinterpret_cast<jni::GetDefaultJavaVmInitArgsFunction>(*default_init_args);
    return true;
}

uint32_t VmSession::default_java_stack_size() const {
    jni::Jdk11InitArgs arguments{};
    arguments.version = jni::version_1_1;
    default_init_args_(&arguments);
    return arguments.javaStackSize > 0 ? static_cast<uint32_t>(arguments.javaStackSize) : 0;
}

bool VmSession::create(const Messages& messages, const std::vector<std::string>& option_texts,
                       void* exit_hook) {
    std::vector<JavaVMOption> options(option_texts.size());
    for (size_t i = 0; i < option_texts.size(); ++i) {
        options[i].optionString = const_cast<char*>(option_texts[i].c_str());
        options[i].extraInfo = nullptr;
    }
    if (exit_hook != nullptr) {
        options.push_back({const_cast<char*>("exit"), exit_hook});
    }
    JavaVMInitArgs arguments{};
    arguments.version = jni::version_1_2;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    void* env = nullptr;
    jint result = create_(&vm, &env, &arguments);
    if (result != JNI_OK) {
        messages.print_error(messages.load(MessageId::jni_exception),
                             messages.load(MessageId::create_vm_failed), reason_text(messages, result));
        presence_->gone();
        return false;
    }
    vm_ = vm;
    env_ = static_cast<JNIEnv*>(env);
    presence_->created(vm);
    return true;
}

void VmSession::destroy() {
    if (vm_ != nullptr) {
        vm_->DestroyJavaVM();
        vm_ = nullptr;
        env_ = nullptr;
    }
    // Also when no machine was made: a thread that waits for one gives up.
    presence_->gone();
}

uint32_t run_java_thread(platform::System& system, const Messages& messages, VmSession& session,
                         VmOptions& options, const JavaMain& main) {
    if (options.java_thread_stack_size == 0) {
        options.java_thread_stack_size = session.default_java_stack_size();
    }
    uint32_t stack_size = options.java_thread_stack_size;
    if (stack_size != 0 && stack_size < smallest_java_stack_size) {
        stack_size = smallest_java_stack_size;
    }
    JavaThreadContext context{system, messages, session, options, main};
    std::optional<uint32_t> result = system.threads.run_and_wait(stack_size, java_thread_body, &context);
    return result ? *result : java_thread_body(&context); // no thread: the main thread runs the body itself
}

namespace {

// The number that starts at `position`; 0 when no digit does.
int number_at(std::string_view text, size_t position) {
    int number = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9' && number < 100000;
         ++position) {
        number = number * 10 + (text[position] - '0');
    }
    return number;
}

} // namespace

int java_version_of_class_file_message(std::string_view message) {
    // "... (class file version 66.0), ..." from Java 9 on, "... major.minor version 52.0" before.
    constexpr std::string_view marker = "version ";
    constexpr int first_class_file_version = 44; // Java 1 wrote 45
    for (size_t at = message.find(marker); at != std::string_view::npos; at = message.find(marker, at + 1)) {
        if (int major = number_at(message, at + marker.size()); major > first_class_file_version) {
            return major - first_class_file_version;
        }
    }
    return 0;
}

int java_feature_version(std::string_view specification_version) {
    return number_at(specification_version, specification_version.starts_with("1.") ? 2 : 0);
}

std::string system_property(JNIEnv* env, const char* name) {
    LocalRef<jclass> system_class(env, env->FindClass("java/lang/System"));
    std::string value =
        system_class ? call_for_string(env, system_class.get(), nullptr, "getProperty", name) : std::string();
    env->ExceptionClear();
    return value;
}

jobject make_java_string(JNIEnv* env, const std::string& text) {
    LocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        return nullptr;
    }
    jmethodID from_bytes = env->GetMethodID(string_class.get(), "<init>", "([B)V");
    if (from_bytes == nullptr) {
        return nullptr;
    }
    jsize length = static_cast<jsize>(text.size());
    LocalRef<jbyteArray> bytes(env, env->NewByteArray(length));
    if (!bytes) {
        return nullptr;
    }
    env->SetByteArrayRegion(bytes.get(), 0, length, reinterpret_cast<const jbyte*>(text.data()));
    if (env->ExceptionCheck()) {
        return nullptr;
    }
    return env->NewObject(string_class.get(), from_bytes, bytes.get());
}

jobject make_java_string_array(JNIEnv* env, const std::vector<std::string>& texts) {
    LocalRef<jclass> string_class(env, env->FindClass("java/lang/String"));
    if (!string_class) {
        return nullptr;
    }
    LocalRef<jobjectArray> array(
        env, env->NewObjectArray(static_cast<jsize>(texts.size()), string_class.get(), nullptr));
    if (!array) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        LocalRef<jobject> text(env, make_java_string(env, texts[i]));
        if (!text) {
            return nullptr;
        }
        env->SetObjectArrayElement(array.get(), static_cast<jsize>(i), text.get());
    }
    return array.release();
}

} // namespace embark
