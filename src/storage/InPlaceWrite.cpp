#include "storage/InPlaceWrite.h"

#include <algorithm>

#include "storage/FileSystem.h"

bool (*inPlaceStepHook)(InPlaceStep step) = nullptr;

namespace {

bool Step(InPlaceStep step) {
    return !inPlaceStepHook || inPlaceStepHook(step);
}

// Line ends after a text leave what the settings reader makes of it unchanged.
std::string Padded(std::string_view text, std::size_t length) {
    std::string padded(text);
    padded.resize(std::max(length, text.size()), '\n');
    return padded;
}

// Line ends appended from the file's end, wherever another program has put it.
bool ExtendTo(InPlaceFile& file, std::uint64_t length) {
    const std::optional<std::uint64_t> size = file.size();
    return size && (*size >= length || file.writeAt(*size, std::string(length - *size, '\n')));
}

// A file already no longer is left as it is, so that no zero bytes come in.
bool ShortenTo(InPlaceFile& file, std::uint64_t length) {
    const std::optional<std::uint64_t> size = file.size();
    return size && (*size <= length || file.cutTo(length));
}

// Covers all that may have been written with the old text and line ends, then cuts those off.
void PutOldBack(InPlaceFile& file, const std::string& old, std::size_t writtenUpTo) {
    if (Step(InPlaceStep::PutOldBack) && file.writeAt(0, Padded(old, writtenUpTo)) &&
        Step(InPlaceStep::CutOld))
        ShortenTo(file, old.size());
}

} // namespace

void WriteInPlace(InPlaceFile& file, std::string_view text) {
    std::string old;
    if (!Step(InPlaceStep::ReadOld) || !file.readUpTo(kMaxReadBytes + 1, old) ||
        old.size() > kMaxReadBytes)
        return;
    const std::size_t length = std::max(old.size(), text.size());
    if (text.size() > old.size() && !(Step(InPlaceStep::TakeRoom) && ExtendTo(file, text.size()))) {
        PutOldBack(file, old, old.size());
        return;
    }
    if (!Step(InPlaceStep::WriteNew) || !file.writeAt(0, Padded(text, length))) {
        PutOldBack(file, old, length);
        return;
    }
    if (Step(InPlaceStep::CutNew))
        ShortenTo(file, text.size());
    if (Step(InPlaceStep::Flush))
        file.flush();
}
