// The profile differential test's reader: for each line "file TAB section TAB
// key" of QUERIES it writes a line to ANSWERS, hex(value) as the launcher's
// profile reader of this build reads it (the project's own on Linux, the
// growing-buffer one on Windows) and, on Windows, TAB hex(value) as one
// GetPrivateProfileStringA call with a large buffer reads it.
#include <cstdio>
#include <fstream>
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/system.h"

static void write_hex(std::FILE* out, const std::string& bytes) {
    for (unsigned char byte : bytes) {
        std::fprintf(out, "%02x", byte);
    }
}

int main(int argc, char** argv) {
    std::ifstream queries(argc == 3 ? argv[1] : "");
    std::FILE* answers = argc == 3 ? std::fopen(argv[2], "wb") : nullptr;
    if (!queries || answers == nullptr) return 2; // usage: ini_query QUERIES ANSWERS
    std::string file, section, key;
    while (std::getline(queries, file, '\t') && std::getline(queries, section, '\t') && std::getline(queries, key)) {
        write_hex(answers, embark::platform::native_system().profiles.read(file, section.c_str(), key.c_str()));
#ifdef _WIN32
        static std::string buffer(8 << 20, '\0');
        DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                static_cast<DWORD>(buffer.size()), file.c_str());
        std::fputc('\t', answers);
        write_hex(answers, buffer.substr(0, length));
#endif
        std::fputc('\n', answers);
    }
    return std::fclose(answers) == 0 ? 0 : 2;
}
