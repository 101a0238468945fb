// The cores the process may run on, as the system's scheduler sees them.
#include "platform/cores.h"

#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace platform {

int usableCores() {
#if defined(__linux__)
    // A process held to fewer cores than the machine has (taskset, a container) must not count
    // on a second one.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0) {
            return count;
        }
    }
#endif
    const unsigned reported = std::thread::hardware_concurrency();
    return reported > 0 ? static_cast<int>(reported) : 1;
}

} // namespace platform
