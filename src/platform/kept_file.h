// Files the game keeps between runs, never left broken: atomic replacement, a lock shared by every
// copy of the game, damaged files moved aside, whole reads, and the folders they live in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Every operation here that can fail returns the failure as one line of text, "<path>: <reason>"
// with the system's reason and the path it refused (the folder when a file could not be made in
// it), or an empty string when it succeeded.

// Makes `folder` and any missing folder above it, private to the player as the XDG rules ask.
std::string makeFolders(const std::filesystem::path& folder);

enum class FileRead { whole, missing, tooLarge, failed };

// Reads all of `file` into `bytes` when it holds at most `mostBytes`. `missing` when there is no
// such file; `tooLarge`, with `error` set, when it holds more, found without reading it all;
// `failed`, with `error` set, when it exists but cannot be read. Whatever is not a regular file in
// its place (a folder, a FIFO, a device) fails at once: nothing waits on it or reads it. `bytes`
// is unspecified unless the read is whole.
FileRead readWholeFile(const std::filesystem::path& file, std::size_t mostBytes, std::string& bytes,
                       std::string& error);

// Replaces `file` with `bytes` so that a kill or a power cut at any instant leaves either the old
// file or the new one, whole: a temporary file in the same folder is written and flushed to the
// disk, renamed over `file`, and the folder is flushed. An existing file's permissions carry over.
// Through a link it replaces the file the link leads to (made there when missing), and the link
// stays. It refuses, before writing anything, a file or a folder that the player made read-only
// (no write permission for its owner, whoever runs the game) or that the system will not let this
// player write (another owner, a read-only mount), and anything not a regular file in the file's
// place. On failure `file` is as it was and no temporary file is left behind. Copies of the game
// that may replace the same file hold a FileLock on it meanwhile.
// In a browser, the flushes store the player's folder in the page's IndexedDB (emscripten's fsync
// of a file there, which holds the caller until the store is done): the replacement lasts across
// reloads once this returns.
std::string replaceAtomically(const std::filesystem::path& file, std::string_view bytes);

// Holds the lock of `file` for its lifetime, waiting for any other process that holds it: an
// flock on "<file>.lock" beside it, made when missing and never removed. The system lets the lock
// go when its holder ends, however it ends. In a browser it waits for nothing: no other copy of the
// game shares the page's files.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Empty while the lock is held; why it could not be taken otherwise.
    const std::string& error() const { return error_; }

  private:
    int descriptor = -1;
    std::string error_;
};

// Moves `file` aside to "<file>.damaged", or when that name is taken to the first free one of
// "<file>.damaged.2", ".3" and on, and sets `keptAs` to the name it took. Through a link it moves
// the file the link leads to, beside itself, and the link stays. It refuses what replaceAtomically
// refuses. Never overwrites or deletes a file; on failure `file` stays where it was.
std::string moveAside(const std::filesystem::path& file, std::string& keptAs);

} // namespace platform
