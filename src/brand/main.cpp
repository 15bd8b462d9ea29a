// embark-brand: a copy of the launcher with the application's own icon,
// version information and manifest settings.
#include "brand/binary.h"
#include "brand/branding.h"
#include "platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

using namespace embark::brand;

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

std::string read_file(const std::string& path) {
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    std::string bytes;
    char buffer[65536];
    size_t read = 0;
    while (file && (read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, read);
    if (!file || std::ferror(file.get())) fail("cannot read " + path + ": " + std::strerror(errno));
    return bytes;
}

// Written in full under a name of its own first, then put in place: a failure
// leaves the output as it was.
void write_file(const std::string& path, const std::string& bytes) {
    std::string part = path + ".part";
    UniqueFile file(std::fopen(part.c_str(), "wb"));
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    int error = errno;
    if (file && std::fclose(file.release()) != 0) written = false, error = errno;
    if (written && embark::platform::replace_file(part, path)) return;
    error = written ? errno : error;
    std::remove(part.c_str());
    fail("cannot write " + path + ": " + std::strerror(error));
}

} // namespace

int main(int argc, char** argv) {
    try {
        BrandRequest request = parse_brand_arguments({argv + 1, argv + argc});
        if (request.help) {
            std::fputs(brand_usage, stdout);
            return 0;
        }
        std::string image = read_file(request.input);
        std::string icon = request.icon ? read_file(*request.icon) : std::string();
        write_file(request.output, brand_image(request, std::move(image), icon));
        return 0;
    } catch (const BrandError& error) {
        std::fprintf(stderr, "embark-brand: %s\n", error.message.c_str());
    } catch (const std::bad_alloc&) {
        std::fputs("embark-brand: not enough memory\n", stderr);
    }
    return 1;
}
