#include "ui/textview/posix/TempBlockFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace {
// What a pass reading on will want soon; asking for it early lets the disk work while the pass
// works on what it has.
constexpr std::uint64_t kFetchAhead = 4 << 20;

// Repeats pread or pwrite until all count bytes are moved; false on an error or the file's end.
template <typename Transfer, typename Buffer>
bool TransferAll(Transfer transfer, int fd, std::uint64_t offset, Buffer data, std::size_t count) {
    while (count > 0) {
        const ssize_t moved = transfer(fd, data, count, static_cast<off_t>(offset));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return false;
        data += moved;
        count -= static_cast<std::size_t>(moved);
        offset += static_cast<std::uint64_t>(moved);
    }
    return true;
}

// The log and the settings file share the disk with this file, and they matter more than a
// display: the file stops growing while less than this would be left free beside it.
constexpr std::uint64_t kReserve = std::uint64_t{512} << 20;

bool LeavesReserve(const struct statvfs& disk, std::size_t count) {
    return std::uint64_t{disk.f_bavail} * disk.f_frsize >= kReserve + count;
}

// A disk that is full now may have room later; any other failure is kept.
BlockFile::Write WriteFailure() {
    return errno == ENOSPC || errno == EDQUOT ? BlockFile::Write::NoRoom : BlockFile::Write::Failed;
}

} // namespace

TempBlockFile::TempBlockFile(std::string directory) : directory_(std::move(directory)) {}

TempBlockFile::~TempBlockFile() {
    if (fd_ >= 0)
        close(fd_);
}

BlockFile::Write TempBlockFile::write(std::uint64_t offset, const char* data, std::size_t count) {
    struct statvfs disk {};
    if (fd_ < 0 ? statvfs(directory_.c_str(), &disk) != 0 : fstatvfs(fd_, &disk) != 0)
        return Write::Failed;
    if (!LeavesReserve(disk, count))
        return Write::NoRoom;
    if (fd_ < 0)
        fd_ = open(directory_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return WriteFailure();
    errno = 0;
    return TransferAll(pwrite, fd_, offset, data, count) ? Write::Done : WriteFailure();
}

bool TempBlockFile::read(std::uint64_t offset, char* data, std::size_t count) {
    return fd_ >= 0 && TransferAll(pread, fd_, offset, data, count);
}

BlockFile::Fetch TempBlockFile::readWithoutWaiting(std::uint64_t offset, char* data,
                                                   std::size_t count) {
    if (fd_ < 0)
        return Fetch::Failed;
    iovec part{data, count};
    const ssize_t got = preadv2(fd_, &part, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    if (got == static_cast<ssize_t>(count)) {
        // On passing a stretch's start, ask for the stretch after it, so that one is always on
        // its way.
        const std::uint64_t end = offset + count;
        if (end % kFetchAhead < count)
            posix_fadvise(fd_, static_cast<off_t>(end - end % kFetchAhead + kFetchAhead),
                          kFetchAhead, POSIX_FADV_WILLNEED);
        return Fetch::Done;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        posix_fadvise(fd_, static_cast<off_t>(offset), 2 * kFetchAhead, POSIX_FADV_WILLNEED);
        return Fetch::Later;
    }
    // Part of the bytes at hand (the rest is on its way already), a kernel without RWF_NOWAIT,
    // or a failure, which the plain read reports.
    return read(offset, data, count) ? Fetch::Done : Fetch::Failed;
}

void TempBlockFile::clear() {
    // Closing gives the space back as truncating would, and lets the next write make the file
    // anew, in case the directory can hold one again.
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}
