// Hosting the Java virtual machine: the runtime library, the machine's
// creation on the Java thread, main, and the machine's end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "launcher/messages.h"
#include "platform/system.h"
#include "vm/vm_options.h"

struct JNIEnv_;
struct _jobject;

namespace embark {

// Loads the VM library and resolves its two invocation entry points.
bool load_runtime_library(platform::System& system, const Messages& messages, LauncherState& state);
// The Java thread: creates the virtual machine and calls main; 0 when main
// was called (whatever it did), 1 for every failure.
uint32_t run_java_thread(platform::System& system, const Messages& messages, LauncherState& state);
// Returns once the application's last non-daemon thread has ended.
void destroy_java_vm(LauncherState& state);

// java/lang/String from the bytes of a launcher string (the machine's default
// charset decodes them); null on failure.
_jobject* make_java_string(JNIEnv_* env, const std::string& text);
// String[] of the texts, in order; null on failure.
_jobject* make_java_string_array(JNIEnv_* env, const std::vector<std::string>& texts);

} // namespace embark
