#include "vm/startup_cache.h"

#include <algorithm>

#include "core/ansi_text.h"
#include "runtime/installed_runtimes.h"
#include "vm/java_vm.h"

namespace embark {
namespace {

constexpr std::string_view key_format = "embark startup cache 1";
constexpr std::string_view archive_prefix = "classes-", archive_suffix = ".jsa", recording_suffix = ".part";
constexpr uint32_t dynamic_archive_magic = 0xF00BABA8;
constexpr int first_dynamic_archive = 13, first_automatic_archive = 19, first_aot_log_tag = 24;
constexpr uint64_t day = 24ull * 3600 * 1000000000;
constexpr uint64_t unused_entry_age = 30 * day;
constexpr size_t entries_per_application = 3;
constexpr size_t read_block = 64u << 10; // below the allocator's mapping threshold: no fresh pages per block

// The one start whose exit hook publishes: a process makes one machine.
StartupCache* publishing_at_exit = nullptr;

void JNICALL publish_at_exit(jint) {
    if (publishing_at_exit != nullptr) publishing_at_exit->finish();
}

// The pieces one after another: one function for the many paths and options
// made here, where string additions would each be expanded in place.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

std::string hex(uint64_t value) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}

uint64_t rotate(uint64_t value, int bits) {
    return value << bits | value >> (64 - bits);
}

uint64_t load_u64(const char* bytes) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

uint64_t mix(uint64_t value) { // the finaliser of MurmurHash3: every input bit reaches every output bit
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    return value ^ value >> 33;
}

// The central directory of a jar, which lists every entry with its CRC: a
// jar replaced by another of the same size and time still changes it. Empty
// for anything that is no zip file.
std::string zip_directory(platform::CacheFiles& files, const std::string& path, uint64_t size) {
    constexpr size_t end_record = 22, largest_comment = 65535;
    uint64_t tail_start = size > end_record + largest_comment ? size - end_record - largest_comment : 0;
    std::string tail = files.read_part(path, tail_start, static_cast<size_t>(size - tail_start));
    size_t at = tail.size() < end_record ? std::string::npos : tail.rfind(std::string_view("PK\5\6", 4));
    if (at == std::string::npos || at + end_record > tail.size()) return {};
    auto field = [&](size_t offset) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(tail[at + offset + i]);
        return value;
    };
    uint32_t directory_size = field(12), directory_offset = field(16);
    return directory_size > (64u << 20) ? std::string()
                                        : files.read_part(path, directory_offset, directory_size);
}

std::string facts_text(const std::optional<platform::FileFacts>& facts) {
    return facts ? joined({std::to_string(facts->size), " ", std::to_string(facts->modified)}) : "missing";
}

} // namespace

bool startup_cache_enabled(std::string_view setting, const platform::CodePage& code_page) {
    return !equals_ignoring_case(setting, "no", code_page);
}

bool names_class_data_option(std::string_view option) {
    static constexpr std::string_view handled[] = {"-Xshare",
                                                   "SharedArchiveFile",
                                                   "ArchiveClassesAtExit",
                                                   "AutoCreateSharedArchive",
                                                   "SharedClassListFile",
                                                   "DumpLoadedClassList",
                                                   "UseSharedSpaces",
                                                   "AOTCache",
                                                   "AOTMode",
                                                   "AOTConfiguration"};
    return std::any_of(std::begin(handled), std::end(handled),
                       [&](std::string_view name) { return option.find(name) != std::string_view::npos; });
}

int release_feature_version(std::string_view release_text) {
    return java_feature_version(java_version_in_release(release_text));
}

std::vector<std::string> class_data_log_options(int feature, const std::string& log_file) {
    // "aot" is a tag from 24 on; an unknown tag stops an older machine's start.
    bool aot = feature >= first_aot_log_tag;
    return {aot ? "-Xlog:cds*=off,aot*=off" : "-Xlog:cds*=off",
            std::string(aot ? "-Xlog:cds*=warning,aot*=warning" : "-Xlog:cds*=warning") +
                ":file=" + log_file + "::filecount=0"};
}

uint64_t hash_bytes(std::string_view bytes, uint64_t seed) {
    // Four lanes, so that the multiplications of one block overlap.
    constexpr uint64_t prime1 = 0x9E3779B185EBCA87ull, prime2 = 0xC2B2AE3D27D4EB4Full;
    uint64_t lanes[4] = {seed + prime1, seed ^ prime2, seed - prime1, ~seed};
    size_t at = 0;
    for (; at + 32 <= bytes.size(); at += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            lanes[lane] = rotate(lanes[lane] + load_u64(bytes.data() + at + 8 * lane) * prime2, 31) * prime1;
        }
    }
    uint64_t hash = rotate(lanes[0], 1) + rotate(lanes[1], 7) + rotate(lanes[2], 12) + rotate(lanes[3], 18);
    for (; at < bytes.size(); ++at)
        hash = rotate(hash ^ static_cast<unsigned char>(bytes[at]) * prime1, 11) * prime2;
    return mix(hash ^ bytes.size());
}

bool starts_like_dynamic_archive(std::string_view head) {
    if (head.size() < 4) return false;
    uint32_t magic = 0;
    for (int i = 3; i >= 0; --i)
        magic = magic << 8 | static_cast<unsigned char>(head[static_cast<size_t>(i)]);
    return magic == dynamic_archive_magic;
}

void StartupCache::prepare(platform::System& system, const Trace& trace, const StartupCacheRequest& request,
                           VmOptions& options) {
    system_ = &system;
    files_ = system.cache_files;
    trace_ = trace;
    auto off = [&](std::string_view why) { trace.line("startup cache: off, %s", {why}); };
    if (files_ == nullptr) return;
    if (!startup_cache_enabled(request.setting, system.code_page)) return off("as the settings say");
    std::string tool_options = system.environment.get("JAVA_TOOL_OPTIONS").value_or("");
    if (names_class_data_option(tool_options) ||
        std::any_of(options.options.begin(), options.options.end(), names_class_data_option)) {
        return off("the application's options handle class data themselves");
    }
    const char separator = system.paths.separator;
    const std::string home = remove_components(request.vm_library_path, 3, separator, system.code_page);
    const std::string_view sep(&system.paths.separator, 1);
    const std::string release = system.files.read_start(joined({home, sep, "release"}), 64 * 1024);
    const int feature = release_feature_version(release);
    if (feature < first_dynamic_archive) return off("the runtime is older than Java 13 or names no version");

    // The key: everything that makes an archive wrong when it changes, a line each.
    std::string key(key_format);
    auto line = [&key](std::initializer_list<std::string_view> parts) { key += '\n' + joined(parts); };
    const std::string library = files_->real_path(request.vm_library_path);
    line({"bits ", std::to_string(8 * sizeof(void*))});
    line({"runtime ", files_->real_path(home)});
    line({"release ", hex(hash_bytes(release))});
    line({"library ", library, " ", facts_text(files_->facts(library))});
    line({"modules ", facts_text(files_->facts(joined({home, sep, "lib", sep, "modules"})))});
    std::string_view class_path;
    for (const std::string& option : options.options) {
        line({"option ", option});
        if (option.starts_with("-Djava.class.path=")) class_path = std::string_view(option).substr(18);
    }
    line({"tool options ", tool_options});
    for (size_t start = 0; start <= class_path.size();) {
        size_t end = std::min(class_path.find(system.paths.list_separator, start), class_path.size());
        std::string entry(class_path.substr(start, end - start));
        start = end + 1;
        if (entry.empty()) continue;
        std::optional<platform::FileFacts> facts = files_->facts(entry);
        if (facts && facts->is_folder)
            return off("the class path names a folder, and archives hold jars only");
        line({"class path ", files_->real_path(entry), " ", facts_text(facts), " ",
              facts ? hex(hash_bytes(zip_directory(*files_, entry, facts->size))) : ""});
    }
    line({"main ", request.main_class, "\n"});

    root_ = files_->cache_folder();
    platform::Expected<std::string> executable = system.process.executable_path();
    application_ = hex(hash_bytes(executable ? files_->real_path(*executable) : std::string())).substr(0, 8);
    entry_name_ = joined({application_, "-", hex(hash_bytes(key))});
    entry_ = joined({root_, sep, entry_name_});
    const std::string key_file = in_entry("key");
    if (root_.empty() || !files_->make_folders(entry_)) return off("no cache folder can be made");
    std::string stored = system.files.read_start(key_file, key.size() + 1);
    if (stored.empty()) {
        const std::string part =
            joined({key_file, "-", std::to_string(files_->process_number()), recording_suffix});
        if (!files_->write(part, key) || !files_->replace(part, key_file)) {
            files_->remove(part);
            return off("the cache folder cannot be written");
        }
    } else if (stored != key) {
        return off("another key has the same name"); // as good as never
    }
    files_->touch(key_file); // the entry's last use, for pruning

    // The newest archive whose bytes are the ones it was published with.
    std::string archive;
    uint64_t newest = 0;
    for (const std::string& name : system.files.file_names(entry_)) {
        std::string path = in_entry(name);
        std::optional<platform::FileFacts> facts = files_->facts(path);
        if (name.starts_with(archive_prefix) && name.ends_with(archive_suffix) && facts &&
            facts->modified >= newest && check_archive(path)) {
            archive = path, newest = facts->modified;
        }
    }
    const std::string log_file = in_entry("machine.log");
    std::vector<std::string> cache_options = class_data_log_options(feature, log_file);
    if (!archive.empty()) {
        trace.line("startup cache: using %s, the machine's messages about it in %s", {archive, log_file});
        cache_options.push_back(joined({"-XX:SharedArchiveFile=", archive}));
    } else {
        lock_ = files_->try_lock(in_entry("lock"));
        if (!lock_) return off("another start is recording the archive; this one runs without");
        const std::string sharing_file = in_entry("sharing");
        if (feature < first_automatic_archive && !files_->facts(sharing_file)) {
            // Before 19 a machine that cannot map the runtime's own archive ends
            // its start when asked to record: this start shows it can.
            trace.line(
                "startup cache: seeing whether the machine shares class data, to record on the next start");
            sharing_file_ = sharing_file;
            options.machine_created = &StartupCache::remember_sharing;
            options.machine_created_context = this;
            lock_.reset();
            return;
        }
        recording_ =
            in_entry(joined({"record-", std::to_string(files_->process_number()), recording_suffix}));
        files_->remove(recording_);
        trace.line("startup cache: recording %s, the machine's messages about it in %s",
                   {recording_, log_file});
        if (feature >= first_automatic_archive) {
            // Unlike ArchiveClassesAtExit, a machine that cannot record says so
            // in its log and runs on.
            cache_options.push_back("-XX:+AutoCreateSharedArchive");
            cache_options.push_back(joined({"-XX:SharedArchiveFile=", recording_}));
        } else {
            cache_options.push_back(joined({"-XX:ArchiveClassesAtExit=", recording_}));
        }
        publishing_at_exit = this;
        options.exit_hook = reinterpret_cast<void*>(&publish_at_exit);
    }
    // First, so that the application's own -Xlog options still have the last word.
    options.options.insert(options.options.begin(), cache_options.begin(), cache_options.end());
}

void StartupCache::remember_sharing(void* context, JNIEnv* env) {
    auto* cache = static_cast<StartupCache*>(context);
    if (system_property(env, "java.vm.info").find("sharing") != std::string::npos) {
        cache->files_->write(cache->sharing_file_, "the machine maps the runtime's class-data archive\n");
    }
}

std::string StartupCache::in_entry(std::string_view name) const {
    return joined({entry_, std::string_view(&system_->paths.separator, 1), name});
}

bool StartupCache::check_archive(const std::string& path) {
    std::optional<platform::FileFacts> facts = files_->facts(path);
    const std::string name = path.substr(entry_.size() + 1);
    if (facts && name == joined({archive_prefix, hash_file(path, facts->size), archive_suffix})) {
        return true;
    }
    // Damaged: a machine that mapped it could crash.
    trace_.line("startup cache: %s is damaged, removed", {path});
    files_->remove(path);
    return false;
}

std::string StartupCache::hash_file(const std::string& path, uint64_t size) {
    uint64_t hash = size;
    for (uint64_t offset = 0; offset < size; offset += read_block) {
        std::string block = files_->read_part(path, offset, read_block);
        if (block.empty()) return {};
        hash = hash_bytes(block, hash);
    }
    return hex(hash);
}

void StartupCache::finish() {
    if (recording_.empty() || finished_.exchange(true)) return;
    std::optional<platform::FileFacts> facts = files_->facts(recording_);
    if (!facts || !starts_like_dynamic_archive(files_->read_part(recording_, 0, 4))) {
        trace_.line("startup cache: the machine recorded no archive");
        files_->remove(recording_);
        return;
    }
    const std::string archive =
        in_entry(joined({archive_prefix, hash_file(recording_, facts->size), archive_suffix}));
    if (!files_->replace(recording_, archive)) {
        files_->remove(recording_);
        return;
    }
    trace_.line("startup cache: published %s", {archive});
    // The lock is held: no other start records in this entry, and any other
    // archive or recording here is an older generation (on Windows, one that a
    // running instance has mapped stays until a later start).
    for (const std::string& name : system_->files.file_names(entry_)) {
        std::string path = in_entry(name);
        if (path != archive && (name.starts_with(archive_prefix) || name.ends_with(recording_suffix))) {
            files_->remove(path);
        }
    }
    prune(root_, entry_name_, application_);
}

void StartupCache::prune(const std::string& root, const std::string& own_name,
                         const std::string& application) {
    const std::string_view sep(&system_->paths.separator, 1);
    std::optional<platform::FileFacts> own = files_->facts(joined({root, sep, own_name, sep, "key"}));
    if (!own) return;
    std::vector<std::pair<uint64_t, std::string>> siblings; // the application's other entries, by last use
    std::vector<std::string> unused;
    for (const std::string& name : system_->files.subfolder_names(root)) {
        std::optional<platform::FileFacts> key = files_->facts(joined({root, sep, name, sep, "key"}));
        if (name == own_name || !key) continue;
        if (key->modified + unused_entry_age < own->modified) {
            unused.push_back(name);
        } else if (name.starts_with(application) && name[application.size()] == '-') {
            siblings.emplace_back(key->modified, name);
        }
    }
    while (siblings.size() >= entries_per_application) { // the oldest go, beyond the last used few
        auto oldest = std::min_element(siblings.begin(), siblings.end());
        unused.push_back(oldest->second);
        siblings.erase(oldest);
    }
    for (const std::string& name : unused) {
        const std::string entry = joined({root, sep, name});
        // An entry whose lock is held is recording right now.
        if (std::unique_ptr<platform::FileLock> lock = files_->try_lock(joined({entry, sep, "lock"}))) {
            lock.reset();
            for (const std::string& file : system_->files.file_names(entry))
                files_->remove(joined({entry, sep, file}));
            files_->remove(entry);
        }
    }
}

} // namespace embark
