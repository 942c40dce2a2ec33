#include "storage/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

FileAccess ReadWholeFile(const std::string& name, std::string& bytes) {
    FileAccess access = FileAccess::ReadWrite;
    int fd = open(name.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        access = FileAccess::ReadOnly;
        fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        return FileAccess::None;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            close(fd);
            return FileAccess::None;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    bytes = std::move(content);
    return access;
}

bool BeginReplacement(const std::string& target, Replacement& replacement) {
    for (int attempt = 0; attempt < kTempFileNameAttempts; ++attempt) {
        const std::string tempName =
            TempFileName(target, static_cast<std::uint64_t>(getpid()), attempt);
        const int fd = open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat old;
            if (stat(target.c_str(), &old) == 0) {
                fchmod(fd, old.st_mode & 07777);
            }
            replacement = {target, tempName, fd};
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

void FinishReplacement(Replacement& replacement, std::string_view bytes) {
    const int fd = Fd(replacement.Handle);
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (written && closed &&
        rename(replacement.TempName.c_str(), replacement.Target.c_str()) == 0) {
        SyncDirectory(replacement.Target);
    } else {
        unlink(replacement.TempName.c_str());
    }
    replacement = {};
}

FileHandle OpenLockedForAppend(const std::string& name) {
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return kNoFile;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
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
