// The startup cache: the machine's class-data archive of each application and
// runtime, recorded by a first start and used from the next one on. It lives
// in the user's cache folder, one entry per key: everything that would make an
// archive wrong when it changed (the runtime, the options, the class path's
// files, the main class). An entry holds the key, the published archives
// (named after a hash of their bytes, checked before each use), the lock of
// the start that records, and the machine's log of its class-data messages,
// which never reach the application's output.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/trace.h"
#include "platform/system.h"
#include "vm/jni_interface.h"
#include "vm/vm_options.h"

namespace embark {

// "Startup Cache": only "no" (in any case) turns it off.
bool startup_cache_enabled(std::string_view setting, const platform::CodePage& code_page);
// An option that handles class data itself: the application's own choice,
// which the cache leaves alone.
bool names_class_data_option(std::string_view option);
// The feature release that a release file's JAVA_VERSION names: 17 for
// "17.0.2", 8 for "1.8.0_392"; 0 when it names none.
int release_feature_version(std::string_view release_text);
// The options that send the machine's class-data messages to the log file
// instead of the standard output, with the log tags that the runtime's
// feature release knows.
std::vector<std::string> class_data_log_options(int feature, const std::string& log_file);
// A fast 64-bit hash of bytes, continued from `seed`.
uint64_t hash_bytes(std::string_view bytes, uint64_t seed = 0);
// Whether the bytes start as a dynamic class-data archive does.
bool starts_like_dynamic_archive(std::string_view head);

// What a start brings to the cache's decision.
struct StartupCacheRequest {
    std::string_view setting; // "Startup Cache"
    const std::string& vm_library_path;
    const std::string& main_class;
};

class StartupCache {
public:
    StartupCache() = default;
    StartupCache(const StartupCache&) = delete;
    StartupCache& operator=(const StartupCache&) = delete;

    // Decides for this start and adds the machine's options: a checked
    // archive to use, or the file to record one into. Anything that keeps the
    // cache from working leaves the start as it would be without it.
    void prepare(platform::System& system, const Trace& trace, const StartupCacheRequest& request,
                 VmOptions& options);
    // Publishes the recorded archive under its final name, or drops it: once
    // the machine has ended, or from its exit hook on System.exit.
    void finish();

private:
    // On the Java thread once the machine exists: whether it maps the runtime's archive.
    static void remember_sharing(void* context, JNIEnv* env);
    std::string in_entry(std::string_view name) const;
    bool check_archive(const std::string& path);
    std::string hash_file(const std::string& path, uint64_t size);
    void prune(const std::string& root, const std::string& own_name, const std::string& application);

    platform::System* system_ = nullptr;
    platform::CacheFiles* files_ = nullptr;
    Trace trace_;
    std::string root_, entry_, entry_name_, application_, recording_, sharing_file_;
    std::unique_ptr<platform::FileLock> lock_;
    std::atomic<bool> finished_{false};
};

} // namespace embark
