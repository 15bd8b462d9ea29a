// The first instance listens on a Unix domain socket in the abstract namespace
// (no file, so nothing stale survives a crash); each later start connects,
// sends its argument area and reads a 32-bit answer. A start still waiting
// when the first instance exits is sent its exit code; one killed by a signal
// just closes the connection.
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/posix/posix_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform::posix {

namespace {

// A misbehaving start cannot hold the listener for longer than this.
constexpr time_t request_read_seconds = 5;

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;
};

// The name after the leading zero byte; a name too long for the address keeps
// its start and ends in a hash of the whole.
SocketAddress abstract_address(const std::string& instance_name) {
    SocketAddress result;
    result.address.sun_family = AF_UNIX;
    std::string name = instance_name;
    constexpr size_t room = sizeof(result.address.sun_path) - 1;
    if (name.size() > room) {
        uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (unsigned char byte : instance_name) {
            hash = (hash ^ byte) * 1099511628211ull;
        }
        char digits[18];
        std::snprintf(digits, sizeof digits, "#%016llx", static_cast<unsigned long long>(hash));
        name = name.substr(0, room - 17) + digits;
    }
    name.copy(result.address.sun_path + 1, name.size());
    result.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return result;
}

bool send_all(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL); // a vanished peer must not end this process
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes += sent, size -= static_cast<size_t>(sent);
    }
    return true;
}

bool receive_all(int fd, char* bytes, size_t size) {
    while (size > 0) {
        ssize_t received = ::recv(fd, bytes, size, 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received <= 0) {
            return false;
        }
        bytes += received, size -= static_cast<size_t>(received);
    }
    return true;
}

bool send_code(int fd, uint32_t code) {
    unsigned char bytes[4] = {static_cast<unsigned char>(code), static_cast<unsigned char>(code >> 8),
                              static_cast<unsigned char>(code >> 16), static_cast<unsigned char>(code >> 24)};
    return send_all(fd, reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The connections of the starts that wait for an answer, by request number;
// the process's exit answers what is left with its exit code.
class WaitingStarts {
public:
    uint64_t add(int fd) {
        std::lock_guard lock(mutex_);
        waiting_.emplace(++last_, fd);
        return last_;
    }
    void answer(uint64_t request, uint32_t code) {
        std::lock_guard lock(mutex_);
        auto found = waiting_.find(request);
        if (found != waiting_.end()) {
            send_code(found->second, code);
            ::close(found->second);
            waiting_.erase(found);
        }
    }
    void answer_all(uint32_t code) {
        std::lock_guard lock(mutex_);
        for (const auto& [request, fd] : waiting_) {
            send_code(fd, code);
        }
    }

private:
    std::mutex mutex_;
    std::map<uint64_t, int> waiting_;
    uint64_t last_ = 0;
};

// Built before the exit handler is registered, so destroyed after it has run.
WaitingStarts& waiting_starts() {
    static WaitingStarts starts;
    return starts;
}

// System.exit in the application ends the process through exit() as well.
void answer_at_exit(int status, void*) {
    waiting_starts().answer_all(static_cast<uint32_t>(status));
}

class ListeningChannel final : public InstanceChannel {
public:
    ListeningChannel(int fd, InstanceChannels::Serve serve)
        : socket_(fd), serve_(std::move(serve)), listener_([this] { listen_for_requests(); }) {}
    ~ListeningChannel() override {
        ::shutdown(socket_.get(), SHUT_RDWR); // ends the listener's accept()
        listener_.join();
    }
    Delivery deliver(const std::string&) override { return Delivery::failed; }
    void pause_before_retry() override {}
    InstanceAnswer wait_for_answer() override { return {InstanceAnswer::Kind::lost}; }

private:
    void listen_for_requests() {
        for (;;) {
            int accepted = ::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC);
            if (accepted < 0) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                return;
            }
            UniqueFd connection(accepted);
            timeval limit{request_read_seconds, 0};
            ::setsockopt(accepted, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            std::string area(instance_argument_area_size, '\0');
            if (receive_all(accepted, area.data(), area.size())) {
                uint64_t request = waiting_starts().add(connection.release());
                serve_({std::move(area), [request](uint32_t code) { waiting_starts().answer(request, code); }});
            }
        }
    }

    UniqueFd socket_;
    InstanceChannels::Serve serve_;
    std::thread listener_;
};

class ConnectingChannel final : public InstanceChannel {
public:
    explicit ConnectingChannel(const SocketAddress& address) : address_(address) {}
    Delivery deliver(const std::string& argument_area) override {
        UniqueFd connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (connection.get() < 0) {
            return Delivery::failed;
        }
        if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address_.address), address_.length) != 0) {
            // Refused between the first instance's bind and listen, or with a full backlog.
            return errno == ECONNREFUSED || errno == EAGAIN ? Delivery::not_ready : Delivery::failed;
        }
        if (!send_all(connection.get(), argument_area.data(), argument_area.size())) {
            return Delivery::failed;
        }
        connection_ = connection.release();
        return Delivery::delivered;
    }
    void pause_before_retry() override {
        timespec pause{0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    InstanceAnswer wait_for_answer() override {
        unsigned char bytes[4];
        if (connection_ < 0 || !receive_all(connection_, reinterpret_cast<char*>(bytes), sizeof bytes)) {
            return {InstanceAnswer::Kind::lost};
        }
        return {InstanceAnswer::Kind::reply, bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24};
    }
    ~ConnectingChannel() override {
        if (connection_ >= 0) {
            ::close(connection_);
        }
    }

private:
    SocketAddress address_;
    int connection_ = -1;
};

} // namespace
} // namespace embark::platform::posix

namespace embark::platform {

std::unique_ptr<InstanceChannel> NativeInstanceChannels::open(const std::string& instance_name, Serve serve,
                                                             bool& first_instance) {
    using namespace posix;
    SocketAddress address = abstract_address(instance_name);
    UniqueFd listening(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (listening.get() < 0) {
        return nullptr;
    }
    if (::bind(listening.get(), reinterpret_cast<const sockaddr*>(&address.address), address.length) != 0) {
        first_instance = false;
        return errno == EADDRINUSE ? std::make_unique<ConnectingChannel>(address) : nullptr;
    }
    // Listening before the gate check returns: a later start's connection
    // waits in the backlog until the listener takes it.
    if (::listen(listening.get(), SOMAXCONN) != 0) {
        return nullptr;
    }
    static bool exit_handler = (waiting_starts(), ::on_exit(answer_at_exit, nullptr) == 0);
    (void)exit_handler;
    first_instance = true;
    try {
        return std::make_unique<ListeningChannel>(listening.release(), std::move(serve));
    } catch (const std::system_error&) { // no thread for the listener
        return nullptr;
    }
}

} // namespace embark::platform
