// Whole-block writes with write(2), retried after interruptions and partial writes.
#include "platform/block_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr mode_t newFileMode = 0644;

} // namespace

BlockFile::~BlockFile() {
    close();
}

bool BlockFile::create(const std::string& path) {
    close();
    descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, newFileMode);
    return descriptor >= 0;
}

std::size_t BlockFile::append(const unsigned char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(descriptor, bytes + done, size - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        } else if (wrote == 0) {
            errno = ENOSPC; // the file takes nothing more and says no more than that
            break;
        } else if (errno != EINTR) {
            break;
        }
    }
    return done;
}

void BlockFile::cutTo(std::uint64_t length) {
    const int ignored = ftruncate(descriptor, static_cast<off_t>(length));
    static_cast<void>(ignored);
}

void BlockFile::close() {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

} // namespace platform
