#pragma once
// The view's text as its bytes, in fixed-size blocks. The block being filled is in memory; each
// full block goes to the block file, if there is one, and is read back through a small cache of
// blocks when wanted. The file always holds a beginning of the text: a block it has no room for
// stays in memory with all later ones, and once it has room again those held blocks go to it
// first, oldest first, a bounded number with each new block, and are freed. Once the file fails
// otherwise, all later blocks stay in memory until the store is cleared. Appending costs the same
// at any size.
//
// The reads are logically const: views of the text read through the cache, which they change.

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "ui/textview/BlockFile.h"

class TextStore {
  public:
    static constexpr unsigned kDefaultCacheBlocks = 16;
    // Held blocks moved to the file with each new full block at most, so that an append after
    // a long stretch without room does not stall on writing them all.
    static constexpr unsigned kHeldBlocksMovedPerBlock = 64;

    // Blocks hold 2^blockShift bytes; without a file every block stays in memory.
    explicit TextStore(unsigned blockShift, std::unique_ptr<BlockFile> file = nullptr,
                       unsigned cacheBlocks = kDefaultCacheBlocks);

    unsigned blockShift() const { return shift_; }
    std::uint64_t size() const { return size_; }
    // Blocks that went to the file and none after them.
    std::uint64_t blocksInFile() const { return blocksInFile_; }

    void append(const char* data, std::uint64_t count);
    // Empties the store and gives its file's space back.
    void clear();

    char operator[](std::uint64_t pos) const {
        if ((pos >> shift_) != lastBlock_)
            locate(pos >> shift_);
        return lastData_[pos & mask_];
    }
    // The bytes from pos (below size()) up to the end of its block or of the text. Valid until
    // the cache has loaded as many other blocks as it holds.
    std::span<const char> spanAt(std::uint64_t pos) const;
    // The same for a pass over the text that reads each block once: a block not at hand is read
    // into a buffer of its own, so the pass does not push the blocks on screen out of the cache.
    // Valid until the next read. Without wait, a block still on its way from the disk gives an
    // empty span at once.
    std::span<const char> streamAt(std::uint64_t pos, bool wait = true) const;
    void copy(std::uint64_t begin, std::uint64_t end, char* out) const;

  private:
    struct CachedBlock {
        std::uint64_t block = kNoBlock;
        std::unique_ptr<char[]> bytes;
        std::uint64_t lastUse = 0;
    };
    static constexpr std::uint64_t kNoBlock = ~std::uint64_t{0};

    std::uint64_t blockSize() const { return mask_ + 1; }
    std::uint64_t fullBlocks() const { return size_ >> shift_; }
    void finishBlock();
    // Moves held blocks to the file, oldest first, as far as it takes them and up to the limit;
    // true when none is left.
    bool moveHeldBlocks();
    // Writes a block to the file; false, with the file given up on a failure other than no room,
    // when it did not go.
    bool writeToFile(std::uint64_t block, const char* bytes);
    // The bytes of a block that is in memory; null for one in the file.
    const char* inMemory(std::uint64_t block) const;
    const char* cached(std::uint64_t block) const;
    void readBlock(std::uint64_t block, char* out) const;
    void locate(std::uint64_t block) const;
    std::span<const char> spanIn(const char* blockBytes, std::uint64_t pos) const;

    unsigned shift_;
    std::uint64_t mask_;
    std::uint64_t size_ = 0;
    std::unique_ptr<BlockFile> file_;
    bool fileFailed_ = false; // a write failed otherwise than for room
    std::uint64_t blocksInFile_ = 0;
    std::deque<std::unique_ptr<char[]>> held_; // the full blocks after the file's ones
    std::unique_ptr<char[]> open_;             // the block being filled
    mutable std::vector<CachedBlock> cache_;
    mutable std::unique_ptr<char[]> stream_;
    mutable std::uint64_t streamBlock_ = kNoBlock;
    mutable std::uint64_t useCount_ = 0;
    mutable std::uint64_t lastBlock_ = kNoBlock; // the block operator[] looked at last
    mutable const char* lastData_ = nullptr;
};
