#include "ui/textview/posix/TempBlockFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

TempBlockFile::TempBlockFile(std::string directory) : directory_(std::move(directory)) {}

TempBlockFile::~TempBlockFile() {
    if (fd_ >= 0)
        close(fd_);
}

bool TempBlockFile::write(std::uint64_t offset, const char* data, std::size_t count) {
    if (fd_ < 0)
        fd_ = open(directory_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return false;
    while (count > 0) {
        const ssize_t written = pwrite(fd_, data, count, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        count -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool TempBlockFile::read(std::uint64_t offset, char* data, std::size_t count) {
    if (fd_ < 0)
        return false;
    while (count > 0) {
        const ssize_t got = pread(fd_, data, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

void TempBlockFile::clear() {
    // Closing gives the space back as truncating would, and lets the next write make the file
    // anew, in case the directory can hold one again.
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}
