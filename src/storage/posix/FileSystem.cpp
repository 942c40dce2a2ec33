#include "storage/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/InPlaceWrite.h"
#include "storage/ReplacementSteps.h"
#include "storage/TempFileName.h"

namespace {

int Fd(FileHandle file) {
    return static_cast<int>(file);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself survive a crash; a failure here changes nothing already done.
void SyncDirectory(const std::string& path) {
    const int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// The kernel's own limit on the links followed for one name.
constexpr int kMaxLinkHops = 40;

// No open waits for a pipe's other end or a line's carrier, and no terminal becomes ours.
constexpr int kQuietOpen = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// An existing name that is no regular file is not even opened: opening a serial device, for
// one, changes its modem lines. What is opened is checked again, as the name may change.
bool ExistsAsOtherThanAFile(const std::string& name) {
    struct stat info {};
    return stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool IsRegularFile(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// A mode without any write bit freezes a file, also for root, whom the permission check
// alone lets write anything.
bool MayReplace(const std::string& file, const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0 &&
           faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
}

// The file a name stands for in the end: the name itself when it is no link, else the last
// target its chain of links reaches, which need not exist yet. None for a loop.
std::optional<std::string> FinalTarget(std::string path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) {
            return std::nullopt;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        path = link[0] == '/' ? link : DirectoryOf(path) + "/" + link;
    }
    return std::nullopt;
}

// Reads from the file's start to its end, up to limit bytes.
bool ReadUpTo(int fd, std::size_t limit, std::string& bytes) {
    bytes.clear();
    char buffer[4096];
    while (bytes.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = pread(fd, buffer, wanted, static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

class InPlaceFd final : public InPlaceFile {
  public:
    explicit InPlaceFd(int fd) : fd_(fd) {}

    bool readUpTo(std::size_t limit, std::string& bytes) override {
        return ReadUpTo(fd_, limit, bytes);
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written =
                pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
            offset += static_cast<std::uint64_t>(written);
        }
        return true;
    }
    std::optional<std::uint64_t> size() override {
        struct stat info {};
        if (fstat(fd_, &info) != 0) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(info.st_size);
    }
    bool cutTo(std::uint64_t length) override {
        return ftruncate(fd_, static_cast<off_t>(length)) == 0;
    }
    bool flush() override { return fsync(fd_) == 0; }

  private:
    int fd_;
};

} // namespace

void WriteTargetInPlace(const std::string& target, std::string_view bytes) {
    if (ExistsAsOtherThanAFile(target)) {
        return;
    }
    const int fd = open(target.c_str(), O_RDWR | kQuietOpen);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && MayReplace(target, info)) {
        InPlaceFd file(fd);
        WriteInPlace(file, bytes);
    }
    close(fd);
}

FileAccess ReadWholeFile(const std::string& name, std::string& bytes) {
    if (ExistsAsOtherThanAFile(name)) {
        return FileAccess::None;
    }
    const int fd = open(name.c_str(), O_RDONLY | kQuietOpen);
    if (fd < 0) {
        return FileAccess::None;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return FileAccess::None;
    }
    std::string content;
    if (!ReadUpTo(fd, kMaxReadBytes, content)) {
        close(fd);
        return FileAccess::None;
    }
    close(fd);
    bytes = std::move(content);
    return MayReplace(name, info) ? FileAccess::ReadWrite : FileAccess::ReadOnly;
}

bool BeginReplacement(const std::string& name, Replacement& replacement) {
    // The new file goes beside the file itself, so that a link keeps pointing at it.
    const std::optional<std::string> target = FinalTarget(name);
    if (!target) {
        return false;
    }
    struct stat old {};
    const bool exists = lstat(target->c_str(), &old) == 0;
    if (exists && !MayReplace(*target, old)) {
        return false;
    }
    for (int attempt = 0; attempt < kTempFileNameAttempts; ++attempt) {
        const std::string tempName =
            TempFileName(*target, static_cast<std::uint64_t>(getpid()), attempt);
        const int fd = open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (exists) {
                fchmod(fd, old.st_mode & 07777);
            }
            replacement = {*target, tempName, fd};
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    // No new file beside it (a folder the user may not write, a full disk): the old file is
    // written over instead.
    if (exists) {
        replacement = {*target, {}, kNoFile};
        return true;
    }
    return false;
}

bool WriteFlushAndClose(FileHandle file, std::string_view bytes) {
    const int fd = Fd(file);
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    return written && closed;
}

bool MoveOverTarget(const std::string& tempName, const std::string& target) {
    if (rename(tempName.c_str(), target.c_str()) != 0) {
        return false;
    }
    SyncDirectory(target);
    return true;
}

void RemoveFile(const std::string& name) {
    unlink(name.c_str());
}

FileHandle OpenLockedForAppend(const std::string& name) {
    if (ExistsAsOtherThanAFile(name)) {
        return kNoFile;
    }
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_APPEND | kQuietOpen, 0666);
    if (fd < 0) {
        return kNoFile;
    }
    if (!IsRegularFile(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return kNoFile;
    }
    return fd;
}

void AppendToFile(FileHandle file, std::string_view bytes) {
    WriteAll(Fd(file), bytes);
}

void CloseFile(FileHandle file) {
    close(Fd(file));
}
