// A file written in whole blocks straight to the operating system, which can be cut back to a
// length it had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class BlockFile {
  public:
    BlockFile() = default;
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    // Creates or empties `path` for writing. False, with errno set, when it cannot.
    bool create(const std::string& path);
    bool isOpen() const { return descriptor >= 0; }
    // Writes all `size` bytes at the end. Returns how many reached the file: `size`, or fewer
    // with errno saying why the rest did not.
    std::size_t append(const unsigned char* bytes, std::size_t size);
    // Cuts the file back to its first `length` bytes; a device that cannot be cut is left as
    // it is.
    void cutTo(std::uint64_t length);
    void close();

  private:
    int descriptor = -1;
};

} // namespace platform
