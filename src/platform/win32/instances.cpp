// The first instance publishes the instance block, a 1052-byte named mapping:
// its listener thread's id, its process id, the registered message, and one
// argument area. A later start takes the slot mutex, writes the area, posts the
// request to the listener thread and holds the slot until the listener has
// copied the area; then it waits for the answer (a thread message) and for the
// first instance's process together. The block, the slot and the event admit
// only the user this process runs as, who also owns them.
#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <system_error>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace embark::platform::win32 {

namespace {

struct InstanceBlock {
    volatile LONG listener_thread_id; // 0 until the listener takes requests
    DWORD process_id;
    UINT message_id;
    char argument_area[1040]; // the only size this layout takes
};
static_assert(sizeof(InstanceBlock) == 1052);

// How long a later start waits for the slot, and for the first instance to
// copy the area out of it.
constexpr DWORD slot_wait_milliseconds = 5000;
constexpr DWORD retry_pause_milliseconds = 10;

// A security descriptor that names this process's user the owner and grants
// that user alone any access, so that another user of the session can neither
// open the objects nor make them first to catch a later start's arguments.
class OwnerOnlySecurity {
public:
    bool prepare() {
        UniqueHandle token;
        HANDLE opened = nullptr;
        DWORD size = 0;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
            return false;
        }
        token.reset(opened);
        ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        user_.resize(size);
        if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user_.data(), size, &size)) {
            return false;
        }
        PSID sid = user();
        acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid));
        auto* acl = reinterpret_cast<ACL*>(acl_.data());
        return ::InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
            ::AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) &&
            ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
            ::SetSecurityDescriptorOwner(&descriptor_, sid, FALSE) &&
            ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
    }
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }
    // Whether an object that already existed is this user's.
    bool owns(HANDLE object) {
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
            return false;
        }
        UniqueLocalMemory owner_record(descriptor); // the owner points into it
        return owner != nullptr && ::EqualSid(owner, user());
    }

private:
    PSID user() { return reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid; }

    std::vector<BYTE> user_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
};

// What both sides share: the block, the slot mutex and the event that says
// "the area has been copied". The two are named after the instance with a
// character no file name has, so no executable's instance name can match them.
struct SharedObjects {
    UniqueHandle mapping;
    UniqueMappedView<InstanceBlock> block;
    UniqueHandle slot;
    UniqueHandle slot_copied;
};

class ListeningChannel final : public InstanceChannel {
public:
    ListeningChannel(SharedObjects shared, InstanceChannels::Serve serve)
        : shared_(std::move(shared)), serve_(std::move(serve)) {}
    ~ListeningChannel() override {
        if (listener_) {
            ::PostThreadMessageA(listener_id_, WM_QUIT, 0, 0);
            ::WaitForSingleObject(listener_.get(), INFINITE);
        }
    }

    // Starts the listener and returns once it owns a message queue; only
    // then do later starts learn its thread id.
    bool start() {
        UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!ready) {
            return false;
        }
        ready_ = ready.get();
        listener_.reset(::CreateThread(nullptr, 0, listener_entry, this, 0, &listener_id_));
        if (!listener_) {
            return false;
        }
        HANDLE waits[] = {ready.get(), listener_.get()};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            return false;
        }
        ::InterlockedExchange(&shared_.block.get()->listener_thread_id, static_cast<LONG>(listener_id_));
        return true;
    }

    Delivery deliver(const std::string&) override { return Delivery::failed; }
    void pause_before_retry() override {}
    InstanceAnswer wait_for_answer() override { return {InstanceAnswer::Kind::lost}; }

private:
    static DWORD WINAPI listener_entry(void* channel) {
        static_cast<ListeningChannel*>(channel)->listen_for_requests();
        return 0;
    }

    void listen_for_requests() {
        InstanceBlock* block = shared_.block.get();
        MSG message;
        ::PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // makes the queue
        ::SetEvent(ready_);
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message != block->message_id) {
                continue;
            }
            auto requester = static_cast<DWORD>(message.wParam);
            UINT id = block->message_id;
            InstanceRequest request{
                std::string(block->argument_area, sizeof block->argument_area),
                [requester, id](uint32_t code) { ::PostThreadMessageA(requester, id, code, 0); }};
            ::SetEvent(shared_.slot_copied.get()); // the next start may write the area
            serve_(std::move(request));
        }
    }

    SharedObjects shared_;
    InstanceChannels::Serve serve_;
    HANDLE ready_ = nullptr;
    UniqueHandle listener_;
    DWORD listener_id_ = 0;
};

// Holds the slot mutex while it lives.
class SlotHold {
public:
    explicit SlotHold(HANDLE slot) : slot_(slot) {
        DWORD waited = ::WaitForSingleObject(slot, slot_wait_milliseconds);
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED; // a start that died holding it lets go
    }
    ~SlotHold() {
        if (held_) {
            ::ReleaseMutex(slot_);
        }
    }
    SlotHold(const SlotHold&) = delete;
    SlotHold& operator=(const SlotHold&) = delete;
    bool held() const { return held_; }

private:
    HANDLE slot_;
    bool held_ = false;
};

class ConnectingChannel final : public InstanceChannel {
public:
    explicit ConnectingChannel(SharedObjects shared) : shared_(std::move(shared)) {}

    Delivery deliver(const std::string& argument_area) override {
        InstanceBlock* block = shared_.block.get();
        SlotHold slot(shared_.slot.get());
        if (!slot.held()) {
            return Delivery::failed;
        }
        DWORD listener = static_cast<DWORD>(::InterlockedCompareExchange(&block->listener_thread_id, 0, 0));
        if (listener == 0) {
            return Delivery::not_ready;
        }
        MSG message;
        ::PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // a queue for the answer
        ::ResetEvent(shared_.slot_copied.get());
        std::memcpy(block->argument_area, argument_area.data(), sizeof block->argument_area);
        message_id_ = block->message_id;
        if (!::PostThreadMessageA(listener, message_id_, ::GetCurrentThreadId(), 0)) {
            // No queue yet, or the listener is gone.
            return ::GetLastError() == ERROR_INVALID_THREAD_ID ? Delivery::not_ready : Delivery::failed;
        }
        return ::WaitForSingleObject(shared_.slot_copied.get(), slot_wait_milliseconds) == WAIT_OBJECT_0
            ? Delivery::delivered
            : Delivery::failed;
    }

    void pause_before_retry() override { ::Sleep(retry_pause_milliseconds); }

    InstanceAnswer wait_for_answer() override {
        UniqueHandle process(
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, shared_.block.get()->process_id));
        if (!process) {
            return {InstanceAnswer::Kind::first_instance_unreachable};
        }
        HANDLE first_instance = process.get();
        for (;;) {
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == message_id_) {
                    return {InstanceAnswer::Kind::reply, static_cast<uint32_t>(message.wParam)};
                }
            }
            DWORD woken = ::MsgWaitForMultipleObjects(1, &first_instance, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
            if (woken == WAIT_OBJECT_0) {
                // It ended; an answer posted just before still wins.
                if (::PeekMessageA(&message, nullptr, message_id_, message_id_, PM_REMOVE)) {
                    return {InstanceAnswer::Kind::reply, static_cast<uint32_t>(message.wParam)};
                }
                DWORD code = 0;
                return ::GetExitCodeProcess(first_instance, &code)
                    ? InstanceAnswer{InstanceAnswer::Kind::first_instance_ended, code}
                    : InstanceAnswer{InstanceAnswer::Kind::lost};
            }
            if (woken != WAIT_OBJECT_0 + 1) {
                return {InstanceAnswer::Kind::lost};
            }
        }
    }

private:
    SharedObjects shared_;
    UINT message_id_ = 0;
};

} // namespace
} // namespace embark::platform::win32

namespace embark::platform {

std::unique_ptr<InstanceChannel> NativeInstanceChannels::open(const std::string& instance_name,
                                                              size_t area_size, Serve serve,
                                                              bool& first_instance) {
    using namespace win32;
    first_instance = false;
    if (area_size != sizeof InstanceBlock::argument_area) {
        return nullptr; // every instance of every build shares the block's layout
    }
    SharedObjects shared;
    OwnerOnlySecurity security;
    if (!security.prepare()) {
        return nullptr;
    }
    // An object that already existed must be this user's: one that another
    // user made (or left open to others) is not this user's first instance.
    auto made_or_mine = [&security](UniqueHandle& object, HANDLE created) {
        bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
        object.reset(created);
        return object && (!existed || security.owns(object.get()));
    };
    ::SetLastError(0);
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, security.attributes(), PAGE_READWRITE, 0,
                                          sizeof(InstanceBlock), instance_name.c_str());
    first_instance = ::GetLastError() == 0;
    if (!made_or_mine(shared.mapping, mapping) ||
        !made_or_mine(shared.slot,
                      ::CreateMutexA(security.attributes(), FALSE, (instance_name + "|slot").c_str())) ||
        !made_or_mine(
            shared.slot_copied,
            ::CreateEventA(security.attributes(), FALSE, FALSE, (instance_name + "|copied").c_str()))) {
        return nullptr;
    }
    shared.block.reset(
        static_cast<InstanceBlock*>(::MapViewOfFile(shared.mapping.get(), FILE_MAP_WRITE, 0, 0, 0)));
    if (!shared.block) {
        return nullptr;
    }
    if (!first_instance) {
        return std::make_unique<ConnectingChannel>(std::move(shared));
    }
    InstanceBlock* block = shared.block.get();
    block->message_id = ::RegisterWindowMessageA(instance_name.c_str());
    block->process_id = ::GetCurrentProcessId();
    if (block->message_id == 0) {
        return nullptr;
    }
    auto channel = std::make_unique<ListeningChannel>(std::move(shared), std::move(serve));
    return channel->start() ? std::move(channel) : nullptr;
}

} // namespace embark::platform
