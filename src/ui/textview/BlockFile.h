#pragma once
// Where a text store puts its full blocks of text so that they need no memory. Failures are
// reported and never raised; the store then keeps its text in memory.

#include <cstddef>
#include <cstdint>

class BlockFile {
  public:
    virtual ~BlockFile() = default;

    // NoRoom: the disk has no room to spare now but may have later; Failed: the file cannot
    // take writes (it cannot be made, or the disk fails) until it is cleared.
    enum class Write { Done, NoRoom, Failed };
    // Writes all count bytes at offset; a write not Done may have stored part of them.
    virtual Write write(std::uint64_t offset, const char* data, std::size_t count) = 0;
    // Reads all count bytes at offset; false when they could not all be read.
    virtual bool read(std::uint64_t offset, char* data, std::size_t count) = 0;

    enum class Fetch { Done, Later, Failed };
    // Reads as read() does if that needs no wait for the disk; otherwise starts fetching the
    // bytes and, without waiting for them, gives Later.
    virtual Fetch readWithoutWaiting(std::uint64_t offset, char* data, std::size_t count) = 0;
    // Drops everything written, giving the space back; the next write may try anew.
    virtual void clear() = 0;
};
