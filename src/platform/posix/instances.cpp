// The first instance listens on a Unix domain socket in a folder that only
// this user can enter ($XDG_RUNTIME_DIR/embark, else $TMPDIR/embark-<uid>,
// mode 0700), named after a hash of the instance name. Beside the socket it holds a
// lock file for its whole life: the lock, which the system releases however
// the process ends, tells who is first, and a socket file left by a crash is
// replaced. Both sides check that the peer runs as this user. A later start
// sends its argument area, is told at once that it was taken up, and then
// reads a 32-bit answer. A start still waiting when the first instance exits
// is sent its exit code; one killed by a signal just closes the connection.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/posix/posix_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform::posix {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A connection that has not delivered its whole area by then is dropped; it
// never delays the others.
constexpr milliseconds request_read_limit{5000};
// A later start whose request is not taken up by then gives up.
constexpr int taken_up_limit_milliseconds = 10000;
// After a failed accept (out of descriptors, say) the backlog keeps the
// connection, and the listener tries again this much later.
constexpr milliseconds accept_retry_pause{100};
constexpr char taken_up = 'T';

bool is_own_private_folder(const std::string& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
        (status.st_mode & 077) == 0;
}

// Where this user's rendezvous live: a folder of this user's alone, or
// nothing when the folder is another's (it may have been made to catch
// arguments) or cannot be made. A runtime folder that is not this user's
// alone (inherited through sudo, say) is not used.
std::optional<std::string> private_folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = runtime != nullptr && runtime[0] == '/' && is_own_private_folder(runtime)
        ? std::string(runtime) + "/embark"
        : std::string(temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp") + "/embark-" +
            std::to_string(::geteuid());
    ::mkdir(folder.c_str(), 0700);
    return is_own_private_folder(folder) ? std::optional(folder) : std::nullopt;
}

// A fixed-length file name for any instance name (a path may be too long
// for a socket address).
std::string hashed_name(const std::string& instance_name) {
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char byte : instance_name) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

struct SocketAddress {
    sockaddr_un address{};
    std::string path;
};

std::optional<SocketAddress> socket_address(const std::string& path) {
    SocketAddress result;
    if (path.size() >= sizeof(result.address.sun_path)) {
        return std::nullopt;
    }
    result.address.sun_family = AF_UNIX;
    path.copy(result.address.sun_path, path.size());
    result.path = path;
    return result;
}

bool peer_is_this_user(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
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
// the process's exit answers what is left with its exit code. A connection
// is closed only here, under the lock, when its entry goes.
class WaitingStarts {
public:
    uint64_t add(UniqueFd connection) {
        std::lock_guard lock(mutex_);
        waiting_.emplace(++last_, std::move(connection));
        return last_;
    }
    void answer(uint64_t request, uint32_t code) {
        std::lock_guard lock(mutex_);
        auto found = waiting_.find(request);
        if (found != waiting_.end()) {
            send_code(found->second.get(), code);
            waiting_.erase(found);
        }
    }
    // A start that has gone (it closed its end) is answered by nobody.
    void drop(uint64_t request) {
        std::lock_guard lock(mutex_);
        waiting_.erase(request);
    }
    std::vector<std::pair<uint64_t, int>> watched() {
        std::lock_guard lock(mutex_);
        std::vector<std::pair<uint64_t, int>> connections;
        for (const auto& [request, connection] : waiting_) {
            connections.emplace_back(request, connection.get());
        }
        return connections;
    }
    void answer_all(uint32_t code) {
        std::lock_guard lock(mutex_);
        for (const auto& [request, connection] : waiting_) {
            send_code(connection.get(), code);
        }
    }

private:
    std::mutex mutex_;
    std::map<uint64_t, UniqueFd> waiting_;
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

// A connection whose area is still arriving.
struct PendingRequest {
    UniqueFd connection;
    Clock::time_point deadline;
    std::string area;
    size_t received = 0;
};

class ListeningChannel final : public InstanceChannel {
public:
    ListeningChannel(UniqueFd lock, SocketAddress address, UniqueFd socket, UniqueFd stop_read,
                     UniqueFd stop_write, size_t area_size, InstanceChannels::Serve serve)
        : lock_(std::move(lock)), address_(std::move(address)), socket_(std::move(socket)),
          stop_read_(std::move(stop_read)), stop_write_(std::move(stop_write)), area_size_(area_size),
          serve_(std::move(serve)), listener_([this] { listen_for_requests(); }) {}
    ~ListeningChannel() override {
        char byte = 0;
        while (::write(stop_write_.get(), &byte, 1) < 0 && errno == EINTR) {}
        listener_.join();
        ::unlink(address_.path.c_str()); // still under the lock: no later first instance's socket
    }
    Delivery deliver(const std::string&) override { return Delivery::failed; }
    void pause_before_retry() override {}
    InstanceAnswer wait_for_answer() override { return {InstanceAnswer::Kind::lost}; }

private:
    // One loop watches the listening socket, every connection still sending
    // its area and every start waiting for its answer, so that no connection
    // holds up another and a start that has gone is let go at once.
    void listen_for_requests() {
        std::vector<PendingRequest> pending;
        Clock::time_point accept_again{};
        for (;;) {
            std::vector<std::pair<uint64_t, int>> waiting = waiting_starts().watched();
            Clock::time_point now = Clock::now();
            std::vector<pollfd> polled{{stop_read_.get(), POLLIN, 0},
                                       {now < accept_again ? -1 : socket_.get(), POLLIN, 0}};
            Clock::time_point wake = now < accept_again ? accept_again : Clock::time_point::max();
            for (const PendingRequest& request : pending) {
                polled.push_back({request.connection.get(), POLLIN, 0});
                wake = std::min(wake, request.deadline);
            }
            for (const auto& start : waiting) {
                polled.push_back(
                    {start.second, POLLIN, 0}); // readable only at its end (or when it misbehaves)
            }
            int timeout = -1;
            if (wake != Clock::time_point::max()) {
                auto left = std::chrono::ceil<milliseconds>(wake - now).count();
                timeout = static_cast<int>(std::max<decltype(left)>(left, 0));
            }
            if (::poll(polled.data(), polled.size(), timeout) < 0) {
                if (errno != EINTR) {
                    std::this_thread::sleep_for(accept_retry_pause);
                }
                continue;
            }
            if (polled[0].revents != 0) {
                return;
            }
            for (size_t i = 0; i < waiting.size(); ++i) {
                if (polled[2 + pending.size() + i].revents != 0) {
                    waiting_starts().drop(waiting[i].first);
                }
            }
            now = Clock::now();
            for (size_t i = pending.size();
                 i-- > 0;) { // from the back: the earlier entries keep their places
                if ((polled[2 + i].revents != 0 && !read_more(pending[i])) || now >= pending[i].deadline) {
                    pending.erase(pending.begin() + static_cast<ptrdiff_t>(i));
                }
            }
            if (polled[1].revents != 0) {
                accept_one(pending, accept_again);
            }
        }
    }

    void accept_one(std::vector<PendingRequest>& pending, Clock::time_point& accept_again) {
        UniqueFd connection(::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.get() < 0) {
            if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN) {
                accept_again = Clock::now() + accept_retry_pause;
            }
            return;
        }
        if (peer_is_this_user(connection.get())) {
            pending.push_back(
                {std::move(connection), Clock::now() + request_read_limit, std::string(area_size_, '\0')});
        }
    }

    // False once the request is done with: taken up, or its sender gone.
    bool read_more(PendingRequest& request) {
        ssize_t received = ::recv(request.connection.get(), request.area.data() + request.received,
                                  request.area.size() - request.received, MSG_DONTWAIT);
        if (received <= 0) {
            return received < 0 && (errno == EAGAIN || errno == EINTR);
        }
        request.received += static_cast<size_t>(received);
        if (request.received < request.area.size()) {
            return true;
        }
        if (send_all(request.connection.get(), &taken_up, 1)) {
            uint64_t id = waiting_starts().add(std::move(request.connection));
            serve_({std::move(request.area), [id](uint32_t code) { waiting_starts().answer(id, code); }});
        }
        return false;
    }

    UniqueFd lock_; // released last
    SocketAddress address_;
    UniqueFd socket_;
    UniqueFd stop_read_, stop_write_;
    size_t area_size_;
    InstanceChannels::Serve serve_;
    std::thread listener_;
};

class ConnectingChannel final : public InstanceChannel {
public:
    explicit ConnectingChannel(SocketAddress address) : address_(std::move(address)) {}
    Delivery deliver(const std::string& argument_area) override {
        UniqueFd connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (connection.get() < 0) {
            return Delivery::failed;
        }
        if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address_.address),
                      sizeof address_.address) != 0) {
            // The first instance holds the lock but is not listening yet, or its backlog is full.
            return errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN ? Delivery::not_ready
                                                                               : Delivery::failed;
        }
        if (!peer_is_this_user(connection.get()) ||
            !send_all(connection.get(), argument_area.data(), argument_area.size()) ||
            !taken_up_in_time(connection.get())) {
            return Delivery::failed;
        }
        connection_ = std::move(connection);
        return Delivery::delivered;
    }
    void pause_before_retry() override { std::this_thread::sleep_for(milliseconds(10)); }
    InstanceAnswer wait_for_answer() override {
        unsigned char bytes[4];
        if (connection_.get() < 0 ||
            !receive_all(connection_.get(), reinterpret_cast<char*>(bytes), sizeof bytes)) {
            return {InstanceAnswer::Kind::lost};
        }
        return {InstanceAnswer::Kind::reply,
                bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24};
    }

private:
    static bool taken_up_in_time(int fd) {
        pollfd answer{fd, POLLIN, 0};
        int ready;
        while ((ready = ::poll(&answer, 1, taken_up_limit_milliseconds)) < 0 && errno == EINTR) {}
        char reply = 0;
        return ready == 1 && receive_all(fd, &reply, 1) && reply == taken_up;
    }

    SocketAddress address_;
    UniqueFd connection_;
};

} // namespace
} // namespace embark::platform::posix

namespace embark::platform {

std::unique_ptr<InstanceChannel> NativeInstanceChannels::open(const std::string& instance_name,
                                                              size_t area_size, Serve serve,
                                                              bool& first_instance) {
    using namespace posix;
    first_instance = false;
    std::optional<std::string> folder = private_folder();
    if (!folder) {
        return nullptr;
    }
    std::string stem = *folder + "/" + hashed_name(instance_name);
    std::optional<SocketAddress> address = socket_address(stem + ".socket");
    UniqueFd lock(::open((stem + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!address || lock.get() < 0) {
        return nullptr;
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? std::make_unique<ConnectingChannel>(std::move(*address)) : nullptr;
    }
    ::unlink(address->path.c_str()); // left by a first instance that crashed
    // Listening before the gate check returns: a later start's connection
    // waits in the backlog until the listener takes it.
    UniqueFd listening(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int stop[2];
    if (listening.get() < 0 ||
        ::bind(listening.get(), reinterpret_cast<const sockaddr*>(&address->address),
               sizeof address->address) != 0 ||
        ::listen(listening.get(), SOMAXCONN) != 0 || ::pipe2(stop, O_CLOEXEC) != 0) {
        return nullptr;
    }
    UniqueFd stop_read(stop[0]), stop_write(stop[1]);
    static bool exit_handler = (waiting_starts(), ::on_exit(answer_at_exit, nullptr) == 0);
    (void)exit_handler;
    try {
        auto channel = std::make_unique<ListeningChannel>(std::move(lock), std::move(*address),
                                                          std::move(listening), std::move(stop_read),
                                                          std::move(stop_write), area_size, std::move(serve));
        first_instance = true;
        return channel;
    } catch (const std::system_error&) { // no thread for the listener
        return nullptr;
    }
}

} // namespace embark::platform
