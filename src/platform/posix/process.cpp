#include <cerrno>
#include <unistd.h>

#include "platform/posix/posix_system.h"
#include "platform/posix/unique_file.h"

namespace embark::platform {

Expected<std::string> NativeProcess::executable_path() {
    if (!executable_.empty()) {
        return executable_;
    }
    // The link's target may be of any length: grow until it fits.
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return last_system_error();
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            executable_ = buffer;
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> NativeProcess::command_line() {
    return std::nullopt; // POSIX passes the arguments as a vector
}

std::vector<std::string> NativeProcess::argument_vector() {
    std::vector<std::string> arguments;
    posix::UniqueFile file(std::fopen("/proc/self/cmdline", "rb"));
    if (!file) {
        return arguments;
    }
    std::string contents;
    char chunk[4096];
    size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, read);
    }
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\0', start);
        if (end == std::string::npos) {
            end = contents.size();
        }
        arguments.emplace_back(contents, start, end - start);
        start = end + 1;
    }
    if (!arguments.empty()) {
        arguments.erase(arguments.begin()); // the program name
    }
    return arguments;
}

std::optional<std::string> NativeProcess::application_data_folder() {
    return std::nullopt; // the settings file beside the executable is the only one
}

void NativeProcess::use_system_default_locale() {
    // Nothing to do: the launcher's own text handling is byte-wise, and the
    // virtual machine applies the environment's locale itself when it starts
    // (loading the locale here would cost a fifth of the launcher's start-up).
}

} // namespace embark::platform
