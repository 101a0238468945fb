// Signals and standard descriptors: the run ends cleanly on a signal and plays on without a
// console.
#include "platform/process_guard.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};
// A failed write is dropped by whoever wrote it; neither signal may end the run.
constexpr int ignoredSignals[] = {SIGPIPE, SIGXFSZ};
constexpr int standardDescriptors[] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
constexpr const char* nowhere = "/dev/null";

// The signal that asked the run to end, or 0. Lock-free, so the handler may touch it.
std::atomic<int> endSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onEndingSignal(int signal) {
    int none = 0;
    if (endSignal.compare_exchange_strong(none, signal)) {
        return;
    }
    // Asked again while the run is still on its way out: whoever sends it means now, so this end
    // never goes back to the shell. The default action ends the process as soon as this handler
    // returns and the signal is unblocked.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void catchEndingSignals() {
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress (poll for Enter) returns and looks at the request.
    action.sa_flags = 0;
    for (int signal : endingSignals) {
        sigaction(signal, &action, nullptr);
    }
}

void reopenClosedDescriptors() {
    for (int descriptor : standardDescriptors) {
        if (fcntl(descriptor, F_GETFD) != -1) {
            continue;
        }
        // open() takes the lowest free number, which is this one.
        const int opened = open(nowhere, descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != descriptor && opened >= 0) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

} // namespace

void guardProcess() {
    reopenClosedDescriptors();
    for (int signal : ignoredSignals) {
        std::signal(signal, SIG_IGN);
    }
    catchEndingSignals();
}

bool endRequested() {
    return endSignal.load() != 0;
}

void requestEnd() {
    endSignal.store(SIGTERM);
}

void forgetEndRequest() {
    endSignal.store(0);
}

} // namespace platform
