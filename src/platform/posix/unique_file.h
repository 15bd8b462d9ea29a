// Owner of a C stream: closed when it goes.
#pragma once

#include <cstdio>
#include <memory>

namespace embark::platform::posix {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

} // namespace embark::platform::posix
