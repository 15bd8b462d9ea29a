// Where a user gets a Java runtime: shown below the missing-runtime message.
#pragma once

namespace embark {

inline constexpr const char* java_download_address = "https://adoptium.net/temurin/releases/";

} // namespace embark
