// Process entry of the launcher.
#include "core/string_table.h"
#include "launcher/driver.h"

int main() {
    return embark::run_launcher(embark::platform::native_system(embark::message_string_table()),
                                embark::native_missing_runtime_windows());
}
