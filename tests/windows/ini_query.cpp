// The launcher's own side of the profile differential test: answers the same
// queries as the Windows helper's "profile" command (which calls the system
// once with a large buffer), through the launcher's profile reader of this
// build: the project's reader on Linux, the growing-buffer reader on Windows. Each line of the query file is
// hex(file) TAB hex(section) TAB hex(key); each output line hex(value).
#include <cstdio>
#include <string>

#include "platform/system.h"

namespace {

std::string unhex(const std::string& text) {
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ini_query QUERIES OUTPUT\n");
        return 2;
    }
    std::FILE* queries = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (queries == nullptr || out == nullptr) {
        return 2;
    }
    embark::platform::ProfileFiles& profiles = embark::platform::native_system().profiles;
    std::string line;
    for (int c = std::fgetc(queries);; c = std::fgetc(queries)) {
        if (c != '\n' && c != EOF) {
            line.push_back(static_cast<char>(c));
            continue;
        }
        size_t first = line.find('\t');
        size_t second = first == std::string::npos ? std::string::npos : line.find('\t', first + 1);
        if (second != std::string::npos) {
            std::string file = unhex(line.substr(0, first));
            std::string section = unhex(line.substr(first + 1, second - first - 1));
            std::string key = unhex(line.substr(second + 1));
            for (unsigned char byte : profiles.read(file, section.c_str(), key.c_str())) {
                std::fprintf(out, "%02x", byte);
            }
            std::fputc('\n', out);
        }
        line.clear();
        if (c == EOF) {
            break;
        }
    }
    std::fclose(out);
    std::fclose(queries);
    return 0;
}
