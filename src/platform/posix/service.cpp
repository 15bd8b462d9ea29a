// A service on POSIX runs in the foreground, as systemd runs a service of
// type notify or simple. SIGTERM, SIGINT and SIGHUP are its stop requests:
// their handler only writes a byte to a pipe, which the dispatching thread reads.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/native_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform {

namespace {

constexpr char stop_request = 's';
constexpr char main_returned = 'q';

std::atomic<int> request_pipe{-1}; // the write end, for the signal handler
// A hangup that the process was started to ignore (nohup) stays ignored, as
// the machine itself would leave it.
bool hangup_ignored = false;

void on_stop_signal(int) {
    int saved_errno = errno;
    int fd = request_pipe.load();
    if (fd >= 0) {
        ssize_t written = ::write(fd, &stop_request, 1);
        static_cast<void>(written); // a full pipe holds enough requests already
    }
    errno = saved_errno;
}

void set_stop_signal_handler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    if (!hangup_ignored) {
        ::sigaction(SIGHUP, &action, nullptr);
    }
}

// A state line for systemd, when it runs the process with a notification
// socket; nothing otherwise. "@" starts a name in the abstract namespace.
void notify_service_manager(const char* state) {
    const char* socket_path = std::getenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    size_t length = socket_path == nullptr ? 0 : std::strlen(socket_path);
    if (length == 0 || length >= sizeof address.sun_path) {
        return;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socket_path, length);
    if (address.sun_path[0] == '@') {
        address.sun_path[0] = '\0';
    }
    posix::UniqueFd socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (socket.get() >= 0) {
        ::sendto(socket.get(), state, std::strlen(state), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&address),
                 static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length));
    }
}

struct ServiceMainStart {
    const ServiceHost::Callbacks& callbacks;
    std::string service_name;
    int request_pipe;
};

void* service_main(void* argument) {
    auto* start = static_cast<ServiceMainStart*>(argument);
    start->callbacks.main({start->service_name});
    ssize_t written = ::write(start->request_pipe, &main_returned, 1);
    static_cast<void>(written);
    return nullptr;
}

} // namespace

ServiceHost::Dispatch NativeServiceHost::dispatch(const std::string& service_name,
                                                  const Callbacks& callbacks) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return Dispatch::failed;
    }
    posix::UniqueFd read_end(ends[0]), write_end(ends[1]);
    request_pipe.store(write_end.get());
    struct sigaction hangup {};
    hangup_ignored = ::sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler == SIG_IGN;
    set_stop_signal_handler(on_stop_signal);

    ServiceMainStart start{callbacks, service_name, write_end.get()};
    pthread_t main_thread;
    bool started = ::pthread_create(&main_thread, nullptr, service_main, &start) == 0;
    while (started) {
        char request = 0;
        ssize_t got = ::read(read_end.get(), &request, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || request == main_returned) {
            break;
        }
        callbacks.control(ServiceControl::stop);
    }
    if (started) {
        ::pthread_join(main_thread, nullptr);
    }
    // A stop signal from now on ends the process, as it would without a service.
    set_stop_signal_handler(SIG_DFL);
    request_pipe.store(-1);
    return started ? Dispatch::served : Dispatch::failed;
}

bool NativeServiceHost::register_control_handler(const std::string&) {
    return true; // the stop signals are taken by the dispatch
}

bool NativeServiceHost::report(ServiceState state, uint32_t) {
    if (state == ServiceState::stop_pending) {
        notify_service_manager("STOPPING=1");
    }
    return true;
}

void NativeServiceHost::machine_ready() {
    // The machine installed its own handlers for the stop signals while it
    // was made, and its threads take them: take them back.
    set_stop_signal_handler(on_stop_signal);
    notify_service_manager("READY=1");
}

} // namespace embark::platform
