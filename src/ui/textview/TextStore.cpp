#include "ui/textview/TextStore.h"

#include <algorithm>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "ui/textview/LeastRecentlyUsed.h"

namespace {
// Left uninitialised: only the pages actually written become resident.
std::unique_ptr<char[]> NewBlock(std::uint64_t size) {
    return std::make_unique_for_overwrite<char[]>(size);
}

// Blocks lie among the row index's in the heap, so glibc keeps freed ones resident until asked.
void GiveFreedBlocksBack() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
} // namespace

TextStore::TextStore(unsigned blockShift, std::unique_ptr<BlockFile> file, unsigned cacheBlocks)
    : shift_(blockShift), mask_((std::uint64_t{1} << blockShift) - 1), file_(std::move(file)),
      cache_(std::max(1u, cacheBlocks)) {}

void TextStore::append(const char* data, std::uint64_t count) {
    while (count > 0) {
        if (!open_)
            open_ = NewBlock(blockSize());
        const std::uint64_t at = size_ & mask_;
        const std::uint64_t n = std::min(blockSize() - at, count);
        std::memcpy(open_.get() + at, data, n);
        size_ += n;
        data += n;
        count -= n;
        if ((size_ & mask_) == 0)
            finishBlock();
    }
}

// The block just filled goes to the file, after any held ones, and, being the newest text, into
// the cache in place of the one used longest ago, whose buffer takes the next block; or it is
// held in memory.
void TextStore::finishBlock() {
    const std::uint64_t block = fullBlocks() - 1;
    lastBlock_ = kNoBlock;
    if (moveHeldBlocks() && writeToFile(block, open_.get())) {
        CachedBlock& slot = LeastRecentlyUsed(cache_);
        slot.block = block;
        slot.lastUse = ++useCount_;
        std::swap(slot.bytes, open_);
        return;
    }
    held_.push_back(std::move(open_));
}

bool TextStore::moveHeldBlocks() {
    unsigned moved = 0;
    while (!held_.empty() && moved < kHeldBlocksMovedPerBlock &&
           writeToFile(blocksInFile_, held_.front().get())) {
        held_.pop_front();
        ++moved;
    }
    if (moved > 0)
        GiveFreedBlocksBack();
    return held_.empty();
}

bool TextStore::writeToFile(std::uint64_t block, const char* bytes) {
    if (!file_ || fileFailed_)
        return false;
    switch (file_->write(block << shift_, bytes, blockSize())) {
    case BlockFile::Write::Done:
        blocksInFile_ = block + 1;
        return true;
    case BlockFile::Write::NoRoom:
        return false;
    case BlockFile::Write::Failed:
        fileFailed_ = true;
        return false;
    }
    return false;
}

void TextStore::clear() {
    size_ = 0;
    if (file_)
        file_->clear();
    fileFailed_ = false;
    blocksInFile_ = 0;
    if (!held_.empty()) {
        held_.clear();
        GiveFreedBlocksBack();
    }
    for (CachedBlock& slot : cache_)
        slot.block = kNoBlock;
    streamBlock_ = kNoBlock;
    lastBlock_ = kNoBlock;
}

const char* TextStore::inMemory(std::uint64_t block) const {
    if (block == fullBlocks())
        return open_.get();
    if (block >= blocksInFile_)
        return held_[block - blocksInFile_].get();
    return nullptr;
}

const char* TextStore::cached(std::uint64_t block) const {
    for (CachedBlock& slot : cache_) {
        if (slot.block == block) {
            slot.lastUse = ++useCount_;
            return slot.bytes.get();
        }
    }
    return nullptr;
}

// A block the file cannot give back reads as zero bytes, which show as nothing.
void TextStore::readBlock(std::uint64_t block, char* out) const {
    if (!file_->read(block << shift_, out, blockSize()))
        std::memset(out, 0, blockSize());
}

void TextStore::locate(std::uint64_t block) const {
    const char* bytes = inMemory(block);
    if (!bytes)
        bytes = cached(block);
    if (!bytes) {
        CachedBlock& slot = LeastRecentlyUsed(cache_);
        if (!slot.bytes)
            slot.bytes = NewBlock(blockSize());
        slot.block = kNoBlock;
        readBlock(block, slot.bytes.get());
        slot.block = block;
        slot.lastUse = ++useCount_;
        bytes = slot.bytes.get();
    }
    lastBlock_ = block;
    lastData_ = bytes;
}

std::span<const char> TextStore::spanIn(const char* blockBytes, std::uint64_t pos) const {
    const std::uint64_t blockEnd = (pos | mask_) + 1;
    return {blockBytes + (pos & mask_), std::min(blockEnd, size_) - pos};
}

std::span<const char> TextStore::spanAt(std::uint64_t pos) const {
    locate(pos >> shift_);
    return spanIn(lastData_, pos);
}

std::span<const char> TextStore::streamAt(std::uint64_t pos, bool wait) const {
    const std::uint64_t block = pos >> shift_;
    if (const char* bytes = inMemory(block))
        return spanIn(bytes, pos);
    if (const char* bytes = cached(block))
        return spanIn(bytes, pos);
    if (block != streamBlock_) {
        if (!stream_)
            stream_ = NewBlock(blockSize());
        streamBlock_ = kNoBlock;
        if (wait) {
            readBlock(block, stream_.get());
        } else {
            switch (file_->readWithoutWaiting(block << shift_, stream_.get(), blockSize())) {
            case BlockFile::Fetch::Done:
                break;
            case BlockFile::Fetch::Later:
                return {};
            case BlockFile::Fetch::Failed:
                std::memset(stream_.get(), 0, blockSize());
                break;
            }
        }
        streamBlock_ = block;
    }
    return spanIn(stream_.get(), pos);
}

void TextStore::copy(std::uint64_t begin, std::uint64_t end, char* out) const {
    while (begin < end) {
        const std::span<const char> span = streamAt(begin);
        const std::uint64_t n = std::min<std::uint64_t>(span.size(), end - begin);
        std::memcpy(out, span.data(), n);
        out += n;
        begin += n;
    }
}
