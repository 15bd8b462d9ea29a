// A signal that one thread sets once and any number of threads wait for (on
// Windows a manual-reset event, elsewhere a condition variable), and a lock.
// Declared here, defined by the platform layer the build compiles, so that
// portable code can wait without the C++ library's thread support, which
// would add a quarter of the Windows executable's size.
#pragma once

#include <memory>

namespace embark::platform {

class Signal {
public:
    Signal();
    ~Signal();
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    void set();
    // Returns at once when the signal is set already.
    void wait();

private:
    struct State; // each platform layer's own
    std::unique_ptr<State> state_;
};

class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void acquire();
    void release();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Holds the lock for its scope.
class Locked {
public:
    explicit Locked(Lock& lock) : lock_(lock) { lock_.acquire(); }
    ~Locked() { lock_.release(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Lock& lock_;
};

} // namespace embark::platform
