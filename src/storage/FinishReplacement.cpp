#include "storage/FileSystem.h"
#include "storage/ReplacementSteps.h"

void FinishReplacement(Replacement& replacement, std::string_view bytes) {
    if (!replacement.TempName.empty()) {
        if (WriteFlushAndClose(replacement.Handle, bytes) &&
            MoveOverTarget(replacement.TempName, replacement.Target)) {
            replacement = {};
            return;
        }
        RemoveFile(replacement.TempName);
    }
    WriteTargetInPlace(replacement.Target, bytes);
    replacement = {};
}
