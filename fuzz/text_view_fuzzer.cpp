// The receive view's text model driven by the input: appends of any bytes, width and glyph
// changes with any part on screen, re-wrap slices, clearing, selections, hit tests, word picks
// and caret moves. The text is kept in memory, or its full blocks go to a block file read back
// through a cache of one to four blocks, or to a file that refuses writes part-way for want of
// room, leaving the rest in memory until it has room again, or fails; now and then the file's
// bytes are still on their way from the disk. After each step the model must hold exactly the
// bytes appended, and its rows must lie in the text in order, keep within the width and break
// only where the wrap rules allow.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "shared/Cp1251.h"
#include "ui/textview/BlockFile.h"
#include "ui/textview/CaretMove.h"
#include "ui/textview/TextViewModel.h"
#include "ui/textview/WordBounds.h"

namespace {

using namespace std::chrono_literals;

// Larger texts get their rows checked in full but their positions only sampled.
constexpr std::uint64_t kFullCheckBytes = 4 * 1024;
constexpr std::uint64_t kMaxTextBytes = 1536 * 1024;

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A block file in memory that takes a number of writes and then has no room, as a disk that
// fills up: it stores part of each write and refuses it. The input gives it room again now and
// then, as another program freeing space would, takes that away again, or breaks it, as a disk
// that fails: it fails the next write and must not be written again until it is cleared. Reads
// that may not wait find their bytes still on the way from the disk now and then.
class FillingBlockFile final : public BlockFile {
  public:
    enum class Disk { Roomy, Full, Broken };

    FillingBlockFile(std::uint64_t accepted, unsigned laterEvery)
        : accepted_(accepted), laterEvery_(laterEvery) {}

    Write write(std::uint64_t offset, const char* data, std::size_t count) override {
        FUZZ_CHECK(!failed_);
        if (disk_ == Disk::Roomy && accepted_ == 0)
            disk_ = Disk::Full;
        const std::size_t stored = disk_ == Disk::Roomy ? count : count / 3;
        bytes_.resize(std::max<std::uint64_t>(bytes_.size(), offset + stored));
        std::memcpy(bytes_.data() + offset, data, stored);
        switch (disk_) {
        case Disk::Roomy:
            accepted_ -= accepted_ != kForever;
            return Write::Done;
        case Disk::Full:
            return Write::NoRoom;
        case Disk::Broken:
            failed_ = true;
            return Write::Failed;
        }
        return Write::Failed;
    }
    bool read(std::uint64_t offset, char* data, std::size_t count) override {
        FUZZ_CHECK(offset + count <= bytes_.size()); // only blocks written whole are read
        std::memcpy(data, bytes_.data() + offset, count);
        return true;
    }
    Fetch readWithoutWaiting(std::uint64_t offset, char* data, std::size_t count) override {
        if (++readsWithoutWaiting_ % laterEvery_ == 0)
            return Fetch::Later;
        return read(offset, data, count) ? Fetch::Done : Fetch::Failed;
    }
    void clear() override {
        bytes_.clear();
        failed_ = false;
    }

    void setDisk(Disk disk) {
        disk_ = disk;
        accepted_ = kForever;
    }
    // Every write from now on is taken.
    bool takesAll() const { return disk_ == Disk::Roomy && accepted_ == kForever && !failed_; }

  private:
    static constexpr std::uint64_t kForever = ~std::uint64_t{0};
    Disk disk_ = Disk::Roomy;
    std::uint64_t accepted_;
    bool failed_ = false;
    unsigned laterEvery_;
    std::uint64_t readsWithoutWaiting_ = 0;
    std::string bytes_;
};

enum class Kind { Word, Blank, Other };

Kind KindOf(char c) {
    const char16_t u = kCp1251ToUnicode[static_cast<unsigned char>(c)];
    if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') ||
        u == u'_' || (u >= 0x0400 && u <= 0x04FF))
        return Kind::Word;
    return IsBlank(c) ? Kind::Blank : Kind::Other;
}

struct Harness {
    Harness(unsigned blockShift, std::unique_ptr<FillingBlockFile> file, unsigned cacheBlocks,
            bool fileTakesAll)
        : file(file.get()), model(blockShift, std::move(file), cacheBlocks),
          fileTakesAll(fileTakesAll) {}

    FillingBlockFile* file;
    TextViewModel model;
    bool fileTakesAll; // every full block must be in the file
    std::string text;  // everything appended since the last clear
    GlyphAdvances glyphs;
    std::int64_t width = 0;

    std::uint64_t size() const { return text.size(); }
    std::uint64_t fullBlocks() const { return size() >> model.bytes().blockShift(); }
    std::uint64_t heldBlocks() const { return fullBlocks() - model.bytes().blocksInFile(); }

    // While the file takes every write, each new full block first takes a bounded number of the
    // blocks held in memory to the file, and goes there itself once none is left.
    void append(const std::string& chunk) {
        const bool fileTakesAllNow = file && file->takesAll();
        const std::uint64_t blocksBefore = fullBlocks();
        std::uint64_t held = heldBlocks();
        model.append(chunk);
        text += chunk;
        if (!fileTakesAllNow)
            return;
        for (std::uint64_t block = blocksBefore; block < fullBlocks(); ++block)
            held = held <= TextStore::kHeldBlocksMovedPerBlock
                       ? 0
                       : held - TextStore::kHeldBlocksMovedPerBlock + 1;
        FUZZ_CHECK(heldBlocks() == held);
    }

    void checkRow(std::uint64_t r, bool samplePositions) const {
        const RowSpan span = model.row(r);
        const std::uint64_t last = model.rowCount() - 1;
        FUZZ_CHECK(span.begin <= span.end && span.end <= size());
        FUZZ_CHECK(r == last || span.begin < span.end);
        const std::uint64_t contentEnd = model.rowContentEnd(r);
        FUZZ_CHECK(span.begin <= contentEnd && contentEnd <= span.end);
        FUZZ_CHECK(contentEnd - span.begin <= WrapLayout::kMaxRowBytes);

        // Line breaks only at the row's end, and a CR LF is never split between rows.
        const std::string breakBytes = text.substr(contentEnd, span.end - contentEnd);
        FUZZ_CHECK(breakBytes.empty() || breakBytes == "\r" || breakBytes == "\n" ||
                   breakBytes == "\r\n");
        // A byte after a row that wraps is neither a line break, which would have ended that row,
        // nor a blank, which may hang past the width, unless the row is full.
        const bool wrapped = r < last && breakBytes.empty();
        if (!model.rewrapping() && r < last) {
            if (breakBytes == "\r")
                FUZZ_CHECK(text[span.end] != '\n');
            if (wrapped)
                FUZZ_CHECK(!IsBreak(text[span.end]) &&
                           (!IsBlank(text[span.end]) ||
                            span.end - span.begin == WrapLayout::kMaxRowBytes));
        }

        // Every byte but the row's first fits the width, except blanks, which may hang past it.
        std::int64_t x = 0;
        bool hasBlank = false;
        for (std::uint64_t p = span.begin; p < contentEnd; ++p) {
            const char c = text[p];
            FUZZ_CHECK(!IsBreak(c));
            const std::int64_t advance = AdvanceAt(glyphs, static_cast<unsigned char>(c), x);
            if (!IsBlank(c) && p > span.begin)
                FUZZ_CHECK(x + advance <= width);
            hasBlank = hasBlank || IsBlank(c);
            x += advance;
        }
        // A row that wraps without a line break ends after a blank, holds none, or is full.
        if (wrapped && !model.rewrapping())
            FUZZ_CHECK(IsBlank(text[span.end - 1]) || !hasBlank ||
                       span.end - span.begin == WrapLayout::kMaxRowBytes);

        FUZZ_CHECK(model.rowAt(span.begin) == r || (span.begin == span.end && r == last));
        if (span.end > span.begin)
            FUZZ_CHECK(model.rowAt(span.end - 1) == r);
        if (samplePositions)
            checkPositions(r, span, contentEnd);
    }

    // Hit testing and offsets agree at the row's positions: all of them in a short row, about
    // forty spread over a long one.
    void checkPositions(std::uint64_t r, RowSpan span, std::uint64_t contentEnd) const {
        const std::uint64_t stride = std::max<std::uint64_t>(1, (contentEnd - span.begin) / 40);
        std::int64_t x = 0;
        std::uint64_t previous = span.begin;
        for (std::uint64_t p = span.begin; p <= contentEnd; ++p) {
            const std::int64_t advance =
                p < contentEnd ? AdvanceAt(glyphs, static_cast<unsigned char>(text[p]), x) : 0;
            if ((p - span.begin) % stride == 0 || p + 1 >= contentEnd) {
                const bool shownHere =
                    p < contentEnd || contentEnd < span.end || r + 1 == model.rowCount();
                if (shownHere) {
                    FUZZ_CHECK(model.rowAt(p) == r);
                    FUZZ_CHECK(model.xOf(p) == x);
                }
                const std::uint64_t at = model.positionAt(r, x);
                FUZZ_CHECK(at >= previous && at >= span.begin && at <= contentEnd);
                previous = at;
                if (p < contentEnd && advance >= 2)
                    FUZZ_CHECK(at == p);
                if (p < contentEnd && advance >= 1)
                    FUZZ_CHECK(model.byteAt(r, x) == p);
            }
            x += advance;
        }
        const std::uint64_t lastByte = contentEnd > span.begin ? contentEnd - 1 : span.begin;
        FUZZ_CHECK(model.byteAt(r, x + 1000) == lastByte);
        FUZZ_CHECK(model.positionAt(r, -1) == span.begin);
    }

    // The rows lie in the text in order and end at its end; without a re-wrap they cover it.
    // A long text gets a sample of its rows: both ends, an even spread, and the rows around
    // each 64 KiB page of the row index.
    void checkRows() const {
        FUZZ_CHECK(model.size() == size());
        const std::uint64_t fullBlocks = size() >> model.bytes().blockShift();
        FUZZ_CHECK(model.bytes().blocksInFile() <= fullBlocks);
        FUZZ_CHECK(!fileTakesAll || model.bytes().blocksInFile() == fullBlocks);
        FUZZ_CHECK(model.rowCount() >= 1);
        const std::uint64_t last = model.rowCount() - 1;
        const bool full = size() <= kFullCheckBytes;
        std::vector<std::uint64_t> rows;
        if (full || last < 400) {
            for (std::uint64_t r = 0; r <= last; ++r)
                rows.push_back(r);
        } else {
            for (std::uint64_t r = 0; r < 100; ++r) {
                rows.push_back(r);
                rows.push_back(last - r);
                rows.push_back(last / 100 * r);
            }
            for (std::uint64_t page = 1 << 16; page < size() && !model.rewrapping();
                 page += 1 << 16) {
                const std::uint64_t r = model.rowAt(page);
                for (std::uint64_t near = r > 2 ? r - 2 : 0; near <= std::min(last, r + 2); ++near)
                    rows.push_back(near);
            }
            std::sort(rows.begin(), rows.end());
            rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        }
        for (const std::uint64_t r : rows) {
            const RowSpan span = model.row(r);
            if (r == 0)
                FUZZ_CHECK(span.begin == 0 || model.rewrapping());
            else if (model.rewrapping())
                FUZZ_CHECK(span.begin >= model.row(r - 1).end);
            else
                FUZZ_CHECK(span.begin == model.row(r - 1).end);
            checkRow(r, full || r % 97 == 0 || r == last);
        }
        FUZZ_CHECK(model.row(last).end == size());
        FUZZ_CHECK(model.rowAt(size()) == last);
        FUZZ_CHECK(model.rowAt(size() + 7) == last);
    }

    void checkText(std::uint64_t begin, std::uint64_t end) const {
        const std::uint64_t e = std::min<std::uint64_t>(end, size());
        const std::uint64_t b = std::min(begin, e);
        FUZZ_CHECK(model.text(begin, end) == text.substr(b, e - b));
    }

    void checkSelection(std::uint64_t anchor, std::uint64_t caret) {
        model.select(anchor, caret);
        const TextSelection& selection = model.selection();
        FUZZ_CHECK(selection.anchor == std::min<std::uint64_t>(anchor, size()));
        FUZZ_CHECK(selection.caret == std::min<std::uint64_t>(caret, size()));
        FUZZ_CHECK(model.selectedText() ==
                   text.substr(selection.begin(), selection.end() - selection.begin()));
    }

    void checkWord(std::uint64_t pos) const {
        const auto [begin, end] = model.wordAt(pos);
        if (pos >= size() || IsBreak(text[pos])) {
            FUZZ_CHECK(begin == pos && end == pos);
            return;
        }
        FUZZ_CHECK(begin <= pos && pos < end && end <= size());
        FUZZ_CHECK(pos - begin <= kMaxWordSide && end - pos <= kMaxWordSide);
        const Kind kind = KindOf(text[pos]);
        if (kind == Kind::Other) {
            FUZZ_CHECK(end == pos + 1 && begin == pos);
            return;
        }
        for (std::uint64_t p = begin; p < end; ++p)
            FUZZ_CHECK(KindOf(text[p]) == kind);
        // The span reaches as far as its kind does, up to the limit on each side.
        FUZZ_CHECK(begin == 0 || pos - begin == kMaxWordSide || KindOf(text[begin - 1]) != kind);
        FUZZ_CHECK(end == size() || end - pos == kMaxWordSide || KindOf(text[end]) != kind);
    }

    void checkCaret(std::uint64_t caret, std::int64_t goalX, std::uint64_t pageRows) const {
        caret = std::min<std::uint64_t>(caret, size());
        const std::uint64_t row = model.rowAt(caret);
        const std::uint64_t last = model.rowCount() - 1;
        for (int move = 0; move <= static_cast<int>(CaretMove::TextEnd); ++move) {
            const auto kind = static_cast<CaretMove>(move);
            const std::uint64_t moved = MovedCaret(model, caret, kind, goalX, pageRows);
            FUZZ_CHECK(moved <= size());
            switch (kind) {
            case CaretMove::Left:
                FUZZ_CHECK(caret == 0 ? moved == 0 : moved < caret && caret - moved <= 2);
                break;
            case CaretMove::Right:
                FUZZ_CHECK(caret == size() ? moved == caret : moved > caret && moved - caret <= 2);
                break;
            case CaretMove::TextStart:
                FUZZ_CHECK(moved == 0);
                break;
            case CaretMove::TextEnd:
                FUZZ_CHECK(moved == size());
                break;
            case CaretMove::RowStart:
                FUZZ_CHECK(moved == model.row(row).begin);
                break;
            case CaretMove::Up:
            case CaretMove::Down:
            case CaretMove::PageUp:
            case CaretMove::PageDown: {
                if (model.rewrapping())
                    break;
                const std::int64_t step = std::max<std::int64_t>(
                    1, kind == CaretMove::Up || kind == CaretMove::Down
                           ? 1
                           : static_cast<std::int64_t>(std::max<std::uint64_t>(pageRows, 1)));
                const bool up = kind == CaretMove::Up || kind == CaretMove::PageUp;
                const auto target = static_cast<std::uint64_t>(
                    std::clamp<std::int64_t>(static_cast<std::int64_t>(row) + (up ? -step : step),
                                             0, static_cast<std::int64_t>(last)));
                // The caret lands on the row aimed at.
                FUZZ_CHECK(model.rowAt(moved) == target);
                break;
            }
            case CaretMove::RowEnd:
                if (!model.rewrapping())
                    FUZZ_CHECK(model.rowAt(moved) == row);
                break;
            }
        }
    }
};

GlyphAdvances GlyphsFromInput(FuzzedDataProvider& input) {
    GlyphAdvances glyphs;
    glyphs.advance.fill(input.ConsumeIntegralInRange<std::int32_t>(0, 24));
    // A few bytes of their own width, some of them zero or very wide.
    const int overrides = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < overrides; ++i) {
        const auto b = input.ConsumeIntegral<std::uint8_t>();
        glyphs.advance[b] = input.ConsumeBool() ? input.ConsumeIntegralInRange(0, 40)
                                                : input.ConsumeIntegralInRange(0, 1 << 30);
    }
    glyphs.tabStop = input.ConsumeIntegralInRange(-1, 200);
    return glyphs;
}

std::int64_t WidthFromInput(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return input.ConsumeIntegral<std::int64_t>();
    case 1:
        return 0;
    default:
        return input.ConsumeIntegralInRange<std::int64_t>(-20, 1200);
    }
}

std::uint64_t PositionFromInput(FuzzedDataProvider& input, std::uint64_t size) {
    return input.ConsumeIntegralInRange<std::uint64_t>(0, size + 3);
}

// The view's top row when it is not at the end, for a re-wrap to lay out first.
std::optional<std::uint64_t> ShownFromInput(FuzzedDataProvider& input, std::uint64_t size) {
    if (input.ConsumeBool())
        return std::nullopt;
    return PositionFromInput(input, size);
}

void FinishRewrap(TextViewModel& model) {
    // Each slice wraps a fixed amount, so a zero budget still makes progress.
    while (!model.continueRewrap(0ms)) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Small blocks make rows, selections and words cross block borders; a cache of few blocks
    // makes reads go to the file all the time.
    const unsigned blockShift = input.ConsumeIntegralInRange(1u, 17u);
    const int store = input.ConsumeIntegralInRange(0, 2);
    const auto cacheBlocks = input.ConsumeIntegralInRange(1u, 4u);
    const auto laterEvery = input.ConsumeIntegralInRange(2u, 5u);
    std::unique_ptr<FillingBlockFile> file;
    if (store > 0)
        file = std::make_unique<FillingBlockFile>(
            store == 1 ? ~std::uint64_t{0} : input.ConsumeIntegralInRange(0, 40), laterEvery);
    Harness h(blockShift, std::move(file), cacheBlocks, store == 1);
    h.glyphs = GlyphsFromInput(input);
    h.width = WidthFromInput(input);
    h.model.setGlyphs(h.glyphs);
    h.model.setWidth(h.width);
    bool bigAppendDone = false;

    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 12)) {
        case 0:
        case 1: {
            const std::string chunk = input.ConsumeRandomLengthString(96);
            h.append(chunk);
            FUZZ_CHECK(h.model.selection().empty() && h.model.selection().caret == h.size());
            break;
        }
        case 2: {
            // A long run of one pattern, enough for a re-wrap in slices and for rows past the
            // row index's 64 KiB pages.
            std::string pattern = input.ConsumeRandomLengthString(24);
            if (pattern.empty() || bigAppendDone)
                break;
            bigAppendDone = true;
            const auto bytes = input.ConsumeIntegralInRange<std::uint64_t>(1, 640 * 1024);
            std::string chunk;
            while (chunk.size() < bytes)
                chunk += pattern;
            chunk.resize(std::min<std::uint64_t>(bytes, kMaxTextBytes - h.size()));
            h.append(chunk);
            break;
        }
        case 3:
            h.width = WidthFromInput(input);
            h.model.setWidth(h.width, ShownFromInput(input, h.size()));
            break;
        case 4:
            h.glyphs = GlyphsFromInput(input);
            h.model.setGlyphs(h.glyphs, ShownFromInput(input, h.size()));
            break;
        case 5:
            h.model.continueRewrap(0ms);
            break;
        case 6:
            if (input.ConsumeIntegralInRange(0, 3) == 0) {
                h.model.clear();
                h.text.clear();
                FUZZ_CHECK(!h.model.rewrapping() && h.model.rowCount() == 1);
            }
            break;
        case 7:
            h.checkSelection(PositionFromInput(input, h.size()),
                             PositionFromInput(input, h.size()));
            if (input.ConsumeBool()) {
                h.model.selectAll();
                FUZZ_CHECK(h.model.selectedText() == h.text);
            }
            break;
        case 8: {
            const std::uint64_t row =
                input.ConsumeIntegralInRange<std::uint64_t>(0, h.model.rowCount() - 1);
            h.checkRow(row, true);
            break;
        }
        case 9:
            h.checkWord(PositionFromInput(input, h.size()));
            break;
        case 10:
            h.checkCaret(PositionFromInput(input, h.size()),
                         input.ConsumeIntegralInRange<std::int64_t>(-50, 5000),
                         input.ConsumeIntegralInRange<std::uint64_t>(0, 100));
            break;
        case 12:
            if (h.file && !h.fileTakesAll)
                h.file->setDisk(
                    static_cast<FillingBlockFile::Disk>(input.ConsumeIntegralInRange(0, 2)));
            break;
        default:
            h.checkText(PositionFromInput(input, h.size()), PositionFromInput(input, h.size()));
            break;
        }
        FUZZ_CHECK(h.model.size() == h.size());
        if (h.size() <= kFullCheckBytes)
            h.checkRows();
    }
    h.checkRows();
    h.checkText(0, h.size());

    // Once complete, the layout is the one a single append of the whole text gives.
    FinishRewrap(h.model);
    FUZZ_CHECK(!h.model.rewrapping());
    h.checkRows();
    TextViewModel fresh;
    fresh.setGlyphs(h.glyphs);
    fresh.setWidth(h.width);
    fresh.append(h.text);
    FinishRewrap(fresh);
    FUZZ_CHECK(fresh.rowCount() == h.model.rowCount());
    // Rows are compared one by one on a short text, a spread of them on a long one.
    const std::uint64_t stride = h.size() <= kFullCheckBytes ? 1 : fresh.rowCount() / 500 + 1;
    for (std::uint64_t r = 0; r < fresh.rowCount(); r += stride) {
        FUZZ_CHECK(fresh.row(r).begin == h.model.row(r).begin);
        FUZZ_CHECK(fresh.row(r).end == h.model.row(r).end);
    }
    FUZZ_CHECK(fresh.row(fresh.rowCount() - 1).begin == h.model.row(fresh.rowCount() - 1).begin);
    return 0;
}
