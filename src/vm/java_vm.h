// Hosting the Java virtual machine: the runtime library, the machine's
// creation on the Java thread, main, and the machine's end.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "platform/signal.h"
#include "platform/system.h"
#include "vm/jni_interface.h"
#include "vm/vm_options.h"

namespace embark {

// Whether the machine exists, as threads other than the Java thread see it:
// such a thread may wait for the machine and use it for a while, and learns
// when it will never exist or is gone. It exists until DestroyJavaVM has
// returned, because that call waits for the application's last non-daemon
// thread and the application lives on meanwhile.
class MachinePresence {
public:
    // Waits until the machine exists, attaches the calling thread, runs `use`
    // with its environment and detaches. False, without touching the machine,
    // when it will never exist, is gone, or refuses the thread.
    bool run_attached(const std::function<void(JNIEnv*)>& use);
    void created(JavaVM* vm);
    // Runs `action` on the Java thread as soon as the machine exists, before
    // main; given before the machine is made.
    void when_created(std::function<void()> action) { on_created_ = std::move(action); }
    // The machine is gone, or will never be created: waiters give up.
    void gone();

private:
    platform::Signal settled_; // set once the machine exists, or will not
    std::atomic<JavaVM*> vm_{nullptr};
    std::atomic<bool> gone_{false};
    std::function<void()> on_created_;
};

// The loaded runtime's entry points and, once created, its virtual machine,
// which goes with the session: destroying it waits for the application's
// last non-daemon thread.
class VmSession {
public:
    VmSession() = default;
    ~VmSession() { destroy(); }
    VmSession(const VmSession&) = delete;
    VmSession& operator=(const VmSession&) = delete;

    // Loads the VM library and resolves its two invocation entry points.
    bool load(platform::System& system, const Messages& messages, const std::string& vm_library_path);
    // The runtime's default Java stack size in bytes (0 when it names none).
    uint32_t default_java_stack_size() const;
    // Creates the machine on the calling thread, which becomes its Java
    // thread; false after reporting why not.
    // `exit_hook`, when not null, is the machine's exit hook.
    bool create(const Messages& messages, const std::vector<std::string>& options, void* exit_hook = nullptr);
    // Returns once the application's last non-daemon thread has ended.
    void destroy();

    JavaVM* vm() const { return vm_; }
    JNIEnv* env() const { return env_; } // valid on the Java thread only
    // Shared, so that a thread that waits for the machine may outlive the session.
    std::shared_ptr<MachinePresence> presence() const { return presence_; }

private:
    std::shared_ptr<MachinePresence> presence_ = std::make_shared<MachinePresence>();
    jni::CreateJavaVmFunction create_ = nullptr;
    jni::GetDefaultJavaVmInitArgsFunction default_init_args_ = nullptr;
    JavaVM* vm_ = nullptr;
    JNIEnv* env_ = nullptr;
};

// What the Java thread starts: the main class with the application's
// arguments, and where the standard streams go.
struct JavaMain {
    const VmSettings& settings;
    const std::vector<std::string>& arguments;
};

// The Java thread: creates the virtual machine and calls main; 0 when main
// was called (whatever it did) and the thread detached from the machine again,
// 1 for every failure.
uint32_t run_java_thread(platform::System& system, const Messages& messages, VmSession& session,
                         VmOptions& options, const JavaMain& main);

// A JNI local reference, deleted when it goes: a long argument list would
// otherwise outgrow the thread's local frame.
template <typename Reference>
class LocalRef {
public:
    LocalRef(JNIEnv* env, Reference reference) : env_(env), reference_(reference) {}
    ~LocalRef() {
        if (reference_ != nullptr) {
            env_->DeleteLocalRef(reference_);
        }
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    Reference get() const { return reference_; }
    void reset(Reference reference) {
        if (reference_ != nullptr) {
            env_->DeleteLocalRef(reference_);
        }
        reference_ = reference;
    }
    Reference release() {
        Reference reference = reference_;
        reference_ = nullptr;
        return reference;
    }
    explicit operator bool() const { return reference_ != nullptr; }

private:
    JNIEnv* env_;
    Reference reference_;
};

// Prints a pending Java exception with its stack trace (and clears it); false
// when none is pending.
bool describe_pending_exception(JNIEnv* env);

// The class named by a launcher string, looked up with the modified UTF-8
// bytes of the Java string it makes, as main's class is; null on failure,
// with the reason pending where the machine gave one.
jclass find_class_named(JNIEnv* env, const std::string& name);

// The Java version that an UnsupportedClassVersionError's message says the
// class needs: its class file version less 44; 0 when the message names none.
int java_version_of_class_file_message(std::string_view message);
// The feature release of a java.specification.version: 8 for "1.8", 17 for
// "17"; 0 when it starts with no number.
int java_feature_version(std::string_view specification_version);

// A system property of the machine as modified UTF-8; empty when it is unset
// or cannot be read (nothing is left pending).
std::string system_property(JNIEnv* env, const char* name);

// java/lang/String from the bytes of a launcher string (the machine's default
// charset decodes them); null on failure.
jobject make_java_string(JNIEnv* env, const std::string& text);
// String[] of the texts, in order; null on failure.
jobject make_java_string_array(JNIEnv* env, const std::vector<std::string>& texts);

} // namespace embark
