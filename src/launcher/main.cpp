// Process entry of the launcher.
#include "launcher/driver.h"

int main() {
    return embark::run_launcher(embark::platform::native_system());
}
