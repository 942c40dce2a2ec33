#include "storage/InPlaceWrite.h"

#include <algorithm>

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

// Covers all that may have been written with the old text and line ends, then cuts those off.
void PutOldBack(InPlaceFile& file, const std::string& old, std::size_t writtenUpTo) {
    if (Step(InPlaceStep::PutOldBack) && file.writeAt(0, Padded(old, writtenUpTo)) &&
        Step(InPlaceStep::CutOld))
        file.shortenTo(old.size());
}

} // namespace

void WriteInPlace(InPlaceFile& file, std::string_view text) {
    std::string old;
    if (!Step(InPlaceStep::ReadOld) || !file.readAll(old))
        return;
    const std::size_t length = std::max(old.size(), text.size());
    if (text.size() > old.size() && !(Step(InPlaceStep::TakeRoom) && file.extendTo(text.size()))) {
        PutOldBack(file, old, old.size());
        return;
    }
    if (!Step(InPlaceStep::WriteNew) || !file.writeAt(0, Padded(text, length))) {
        PutOldBack(file, old, length);
        return;
    }
    if (Step(InPlaceStep::CutNew))
        file.shortenTo(text.size());
    if (Step(InPlaceStep::Flush))
        file.flush();
}
