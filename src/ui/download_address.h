// Where a user gets a Java runtime: shown below the missing-runtime message.
#pragma once

#include "ui/dialog_resources.h"

namespace embark {

inline constexpr const char* java_download_address = EMBARK_JAVA_DOWNLOAD_ADDRESS;

} // namespace embark
