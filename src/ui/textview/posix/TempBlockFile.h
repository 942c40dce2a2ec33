#pragma once
// A block file that is an unnamed temporary file (O_TMPFILE) in a directory: it has no name, so
// nothing is left behind once the process ends, however it ends. The file is made at the first
// write. While its disk would be left with less than a reserve of 512 MiB free, or is full,
// writes find no room, which may come back; where the directory cannot hold such a file, or the
// disk fails, they fail.

#include <string>

#include "ui/textview/BlockFile.h"

class TempBlockFile final : public BlockFile {
  public:
    explicit TempBlockFile(std::string directory);
    ~TempBlockFile() override;
    TempBlockFile(const TempBlockFile&) = delete;
    TempBlockFile& operator=(const TempBlockFile&) = delete;

    Write write(std::uint64_t offset, const char* data, std::size_t count) override;
    bool read(std::uint64_t offset, char* data, std::size_t count) override;
    Fetch readWithoutWaiting(std::uint64_t offset, char* data, std::size_t count) override;
    void clear() override;

  private:
    std::string directory_;
    int fd_ = -1;
};
