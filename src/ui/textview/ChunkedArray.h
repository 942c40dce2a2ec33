#pragma once
// A growable array kept in fixed-size blocks: appending never moves what is already stored,
// so an append costs the same at any size and memory stays close to one element per slot.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

template <typename T> class ChunkedArray {
  public:
    // Blocks hold 2^blockShift elements.
    explicit ChunkedArray(unsigned blockShift)
        : shift_(blockShift), mask_((std::uint64_t{1} << blockShift) - 1) {}

    std::uint64_t size() const { return size_; }

    T operator[](std::uint64_t i) const { return blocks_[i >> shift_][i & mask_]; }
    T& operator[](std::uint64_t i) { return blocks_[i >> shift_][i & mask_]; }

    void push_back(T value) {
        if ((size_ & mask_) == 0 && (size_ >> shift_) == blocks_.size())
            addBlock();
        (*this)[size_++] = value;
    }

    void append(const T* data, std::uint64_t count) {
        while (count > 0) {
            if ((size_ >> shift_) == blocks_.size())
                addBlock();
            const std::uint64_t room = blockSize() - (size_ & mask_);
            const std::uint64_t n = std::min(room, count);
            std::memcpy(&(*this)[size_], data, n * sizeof(T));
            size_ += n;
            data += n;
            count -= n;
        }
    }

    // The stored elements from i (below size()) up to the end of its block or of the array.
    std::span<const T> spanAt(std::uint64_t i) const {
        const std::uint64_t blockEnd = (i | mask_) + 1;
        return {&blocks_[i >> shift_][i & mask_], std::min(blockEnd, size_) - i};
    }

    void clear() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        size_ = 0;
    }

  private:
    std::uint64_t blockSize() const { return mask_ + 1; }
    // Left uninitialised: only the pages actually written become resident.
    void addBlock() { blocks_.push_back(std::make_unique_for_overwrite<T[]>(blockSize())); }

    unsigned shift_;
    std::uint64_t mask_;
    std::uint64_t size_ = 0;
    std::vector<std::unique_ptr<T[]>> blocks_;
};
