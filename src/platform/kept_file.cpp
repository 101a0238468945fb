// Kept files through the system's own calls, so that each step's flush and rename is the one the
// crash guarantees rest on.
#include "platform/kept_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace platform {
namespace {

// The XDG rules ask for folders the game makes to be the player's alone.
constexpr mode_t newFolderMode = 0700;
constexpr mode_t newFileMode = 0644;
constexpr mode_t permissionBits = 07777;
// Links followed in a row before the path counts as a loop, as the system's own lookups do.
constexpr int mostLinksFollowed = 40;
constexpr std::size_t readChunkBytes = 4096;
// The temporary file's name: the file's own, then this, then six letters mkostemp picks.
constexpr const char* temporarySuffix = ".new-XXXXXX";
constexpr const char* lockSuffix = ".lock";
constexpr const char* damagedSuffix = ".damaged";
// Beyond this many damaged copies kept, something other than bad luck damages the file.
constexpr int mostDamagedCopies = 1000;

std::string failure(const std::filesystem::path& path) {
    return path.string() + ": " + std::strerror(errno);
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// A folder in a file's place keeps the system's own word for it; anything else is named.
std::string notRegular(const std::filesystem::path& path, mode_t mode) {
    if (S_ISDIR(mode)) {
        errno = EISDIR;
        return failure(path);
    }
    return path.string() + ": not a regular file";
}

// Where `file`'s links lead, written into `file`: the file a write is to replace, so that the
// link itself stays. A relative link is read from the folder that holds it.
std::string followLinks(std::filesystem::path& file) {
    for (int followed = 0; followed < mostLinksFollowed; ++followed) {
        struct stat status {};
        if (lstat(file.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return {};
        }
        std::error_code error;
        const std::filesystem::path leadsTo = std::filesystem::read_symlink(file, error);
        if (error) {
            return file.string() + ": " + error.message();
        }
        file = leadsTo.is_absolute() ? leadsTo : folderOf(file) / leadsTo;
    }
    errno = ELOOP;
    return failure(file);
}

// A person's read-only holds for whoever runs the game: root, whom the system never refuses, is
// held to the owner's write bit too. Past that, the system says whether this player may write:
// another owner, a read-only mount.
std::string refusesWriting(const std::filesystem::path& path, const struct stat& status) {
    if ((status.st_mode & S_IWUSR) == 0) {
        return path.string() + ": read-only";
    }
    return access(path.c_str(), W_OK) == 0 ? std::string() : failure(path);
}

// Why `file` may not be replaced in its folder, or an empty string when it may.
std::string mayReplace(const std::filesystem::path& file) {
    struct stat status {};
    if (lstat(file.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            return notRegular(file, status.st_mode);
        }
        if (std::string refusal = refusesWriting(file, status); !refusal.empty()) {
            return refusal;
        }
    } else if (errno != ENOENT) {
        return failure(file);
    }
    const std::filesystem::path folder = folderOf(file);
    if (stat(folder.c_str(), &status) != 0) {
        return failure(folder);
    }
    return refusesWriting(folder, status);
}

bool isFolder(const std::filesystem::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A rename lasts through a power cut only once the folder holding the names is on the disk too.
std::string syncFolder(const std::filesystem::path& folder) {
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return failure(folder);
    }
    std::string error;
    if (fsync(descriptor) != 0) {
        error = failure(folder);
    }
    close(descriptor);
    return error;
}

// The old file's permissions, so that replacing it changes nothing a person set on it.
mode_t modeFor(const std::filesystem::path& file) {
    struct stat status {};
    return stat(file.c_str(), &status) == 0 ? status.st_mode & permissionBits : newFileMode;
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = write(descriptor, bytes.data(), bytes.size());
        if (wrote > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(wrote));
        } else if (wrote == 0) {
            errno = ENOSPC; // the file takes nothing more and says no more than that
            return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Writes and flushes the temporary file, then closes it; the first failure names `file`.
std::string fillTemporary(int descriptor, const std::filesystem::path& file,
                          std::string_view bytes) {
    std::string error;
    if (fchmod(descriptor, modeFor(file)) != 0 || !writeAll(descriptor, bytes) ||
        fsync(descriptor) != 0) {
        error = failure(file);
    }
    if (close(descriptor) != 0 && error.empty()) {
        error = failure(file);
    }
    return error;
}

#ifdef __EMSCRIPTEN__
// Renames `from` over `to`; 0, or the errno value. emscripten 3.1.6's file system keeps the file
// a rename replaced in its table of names, and that old file comes back under the name once the
// new one moves away (a damaged file moved aside): this renames, then forgets the replaced file.
EM_JS(int, renameInBrowser, (const char* from, const char* to), {
    const fromPath = UTF8ToString(from);
    const toPath = UTF8ToString(to);
    let replaced = null;
    try {
        replaced = FS.lookupPath(toPath).node;
    } catch (missing) {
    }
    try {
        const moved = FS.lookupPath(fromPath).node;
        FS.rename(fromPath, toPath);
        if (replaced != null && replaced != moved) {
            FS.hashRemoveNode(replaced);
        }
    } catch (error) {
        if (!(error instanceof FS.ErrnoError)) {
            throw error;
        }
        return error.errno;
    }
    return 0;
});

bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    const int error = renameInBrowser(from.c_str(), to.c_str());
    errno = error;
    return error == 0;
}

// Renames without ever replacing `to`. The browser's file system has neither renameat2 nor hard
// links, but it is this page's alone and only ever changed by the game's own thread: nothing can
// take the name between the look and the rename.
bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return errno == ENOENT && renameOver(from, to);
}
#else
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

// Renames without ever replacing `to`. A file system without RENAME_NOREPLACE gets a hard link
// and an unlink instead, which refuse a taken name as well.
bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    return link(from.c_str(), to.c_str()) == 0 && unlink(from.c_str()) == 0;
}
#endif

// Whether mkdir failed on a name already taken. The browser's file system calls "/", "." and
// "..", which are always there, invalid names instead.
bool nameTaken(int error) {
#ifdef __EMSCRIPTEN__
    if (error == EINVAL) {
        return true;
    }
#endif
    return error == EEXIST;
}

std::filesystem::path damagedName(const std::filesystem::path& file, int copy) {
    std::string name = file.string() + damagedSuffix;
    return copy == 1 ? name : name + "." + std::to_string(copy);
}

std::string tooLarge(const std::filesystem::path& file, std::size_t mostBytes) {
    return file.string() + ": larger than " + std::to_string(mostBytes) + " bytes";
}

// Reads to the end, or until the file, growing meanwhile, holds more than `mostBytes`.
FileRead readUpTo(int descriptor, const std::filesystem::path& file, std::size_t mostBytes,
                  std::string& bytes, std::string& error) {
    char chunk[readChunkBytes];
    ssize_t got = 0;
    while ((got = read(descriptor, chunk, sizeof chunk)) != 0) {
        if (got > 0) {
            bytes.append(chunk, static_cast<std::size_t>(got));
            if (bytes.size() > mostBytes) {
                error = tooLarge(file, mostBytes);
                return FileRead::tooLarge;
            }
        } else if (errno != EINTR) {
            error = failure(file);
            return FileRead::failed;
        }
    }
    return FileRead::whole;
}

} // namespace

// Folder by folder from the top, so a failure names the very folder that could not be made.
std::string makeFolders(const std::filesystem::path& folder) {
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        if (mkdir(made.c_str(), newFolderMode) == 0) {
            continue;
        }
        if (!nameTaken(errno)) {
            return failure(made);
        }
        if (!isFolder(made)) {
            errno = ENOTDIR;
            return failure(made);
        }
    }
    return {};
}

FileRead readWholeFile(const std::filesystem::path& file, std::size_t mostBytes, std::string& bytes,
                       std::string& error) {
    bytes.clear();
    // Opening a FIFO for reading would otherwise wait for a writer that may never come.
    const int descriptor = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT) {
            return FileRead::missing;
        }
        error = failure(file);
        return FileRead::failed;
    }
    struct stat status {};
    FileRead outcome = FileRead::failed;
    if (fstat(descriptor, &status) != 0) {
        error = failure(file);
    } else if (!S_ISREG(status.st_mode)) {
        error = notRegular(file, status.st_mode);
    } else if (static_cast<std::uintmax_t>(status.st_size) > mostBytes) {
        error = tooLarge(file, mostBytes);
        outcome = FileRead::tooLarge;
    } else {
        outcome = readUpTo(descriptor, file, mostBytes, bytes, error);
    }
    close(descriptor);
    return outcome;
}

std::string replaceAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path target = file;
    if (std::string refusal = followLinks(target); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = mayReplace(target); !refusal.empty()) {
        return refusal;
    }
    std::string temporary = target.string() + temporarySuffix;
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return failure(folderOf(target));
    }
    std::string error = fillTemporary(descriptor, target, bytes);
    if (error.empty() && !renameOver(temporary, target)) {
        error = failure(target);
    }
    if (!error.empty()) {
        unlink(temporary.c_str());
        return error;
    }
    return syncFolder(folderOf(target));
}

// Read-only is enough for flock, and lets a lock file someone else made serve; a FIFO in its place
// does not hold the open up.
FileLock::FileLock(const std::filesystem::path& file) {
    const std::filesystem::path lockFile = file.string() + lockSuffix;
    descriptor = open(lockFile.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, newFileMode);
    if (descriptor < 0) {
        error_ = failure(lockFile);
        return;
    }
    // A page's file system is its own, with no other copy of the game to keep out, and
    // emscripten's flock does nothing: there, the open lock file is all the lock is.
#ifndef __EMSCRIPTEN__
    int locked = 0;
    while ((locked = flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        error_ = failure(lockFile);
        close(descriptor);
        descriptor = -1;
    }
#endif
}

FileLock::~FileLock() {
    if (descriptor >= 0) {
        close(descriptor); // lets the lock go
    }
}

std::string moveAside(const std::filesystem::path& given, std::string& keptAs) {
    std::filesystem::path file = given;
    if (std::string refusal = followLinks(file); !refusal.empty()) {
        return refusal;
    }
    // A read-only file moved aside would be replaced all the same, by the new one.
    if (std::string refusal = mayReplace(file); !refusal.empty()) {
        return refusal;
    }
    for (int copy = 1; copy <= mostDamagedCopies; ++copy) {
        const std::filesystem::path candidate = damagedName(file, copy);
        if (renameNoReplace(file, candidate)) {
            keptAs = candidate.string();
            return syncFolder(folderOf(file));
        }
        if (errno != EEXIST) {
            return failure(file);
        }
    }
    errno = EEXIST;
    return failure(damagedName(file, mostDamagedCopies));
}

} // namespace platform
