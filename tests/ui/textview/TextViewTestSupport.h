#pragma once
// Fixed glyph widths, row listings and block files for the text view tests.

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "ui/textview/BlockFile.h"
#include "ui/textview/TextViewModel.h"

#ifndef _WIN32
#include <filesystem>
#endif

// A block file kept in memory, as a disk holds it. It takes `accepted` writes; the next `refused`
// ones store only half their bytes and give `refusal`, as on a disk that fills up, and then it
// takes writes again. Every other read that may not wait finds its bytes still on the way.
class MemoryBlockFile final : public BlockFile {
  public:
    explicit MemoryBlockFile(std::uint64_t accepted = ~std::uint64_t{0},
                             std::uint64_t refused = ~std::uint64_t{0},
                             Write refusal = Write::NoRoom)
        : accepted_(accepted), refused_(refused), refusal_(refusal) {}

    Write write(std::uint64_t offset, const char* data, std::size_t count) override {
        const bool refuse = accepted_ == 0 && refused_ > 0;
        const std::size_t stored = refuse ? count / 2 : count;
        bytes_.resize(std::max<std::uint64_t>(bytes_.size(), offset + stored));
        std::memcpy(bytes_.data() + offset, data, stored);
        if (refuse) {
            --refused_;
            return refusal_;
        }
        accepted_ -= accepted_ > 0;
        return Write::Done;
    }
    bool read(std::uint64_t offset, char* data, std::size_t count) override {
        if (offset + count > bytes_.size())
            return false;
        std::memcpy(data, bytes_.data() + offset, count);
        return true;
    }
    Fetch readWithoutWaiting(std::uint64_t offset, char* data, std::size_t count) override {
        if (++readsWithoutWaiting_ % 2 == 1)
            return Fetch::Later;
        return read(offset, data, count) ? Fetch::Done : Fetch::Failed;
    }
    void clear() override { bytes_.clear(); }

    std::uint64_t size() const { return bytes_.size(); }

  private:
    std::uint64_t accepted_;
    std::uint64_t refused_;
    Write refusal_;
    std::uint64_t readsWithoutWaiting_ = 0;
    std::string bytes_;
};

// Where a model keeps its text: all in memory; full blocks in a file, read back through a cache
// of two blocks; or in a file that fills up after three blocks, the rest staying in memory.
enum class Store { Memory, File, FileFillsUp };

inline TextViewModel ModelWith(Store store,
                               unsigned blockShift = TextViewModel::kDefaultBlockShift) {
    if (store == Store::Memory)
        return TextViewModel(blockShift);
    return TextViewModel(blockShift,
                         std::make_unique<MemoryBlockFile>(store == Store::File ? ~0ull : 3), 2);
}

inline std::string StoreName(const testing::TestParamInfo<Store>& info) {
    const char* names[] = {"Memory", "File", "FileFillsUp"};
    return names[static_cast<int>(info.param)];
}

// Every byte 10 units wide, tab stops every 8 characters.
inline GlyphAdvances UniformGlyphs(std::int32_t advance = 10) {
    GlyphAdvances glyphs;
    glyphs.advance.fill(advance);
    glyphs.tabStop = 8 * advance;
    return glyphs;
}

// A model wrapping at columns characters of UniformGlyphs().
inline void SetColumns(TextViewModel& model, int columns) {
    model.setGlyphs(UniformGlyphs());
    model.setWidth(columns * 10);
}

inline std::vector<std::string> Rows(const TextViewModel& model) {
    std::vector<std::string> rows;
    for (std::uint64_t row = 0; row < model.rowCount(); ++row) {
        const RowSpan span = model.row(row);
        rows.push_back(model.text(span.begin, span.end));
    }
    return rows;
}

// Hexadecimal groups as the receive pump shows them: "00 01 ... " for count bytes.
inline std::string HexText(std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[(i >> 4) & 15];
        text += digits[i & 15];
        text += ' ';
    }
    return text;
}

#ifndef _WIN32
// Unnamed files (O_TMPFILE) that this process holds open.
inline int UnnamedFilesOpen() {
    int count = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
        count += target.find("/#") != std::string::npos && target.ends_with(" (deleted)");
    }
    return count;
}
#endif
