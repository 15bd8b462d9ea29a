// The C++ runtime's default terminate handler prints the demangled type of an
// escaping exception, which links the whole demangler into the executable
// (about a fifth of its size). The launcher lets no exception escape, so the
// last resort just ends the process.
//
// Likewise the library's helpers that throw its standard exceptions (a
// string beyond its largest size, an index out of range) link in the
// exception classes and the old string implementation they carry (about a
// tenth). Nothing in the launcher catches those, so they end the process here
// as they would by terminating; only running out of memory is still thrown,
// for the window code that survives it.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_bad_function_call() {
    std::abort();
}
} // namespace std
