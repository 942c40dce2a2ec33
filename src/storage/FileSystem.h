#pragma once
// The few operating-system calls of the storage code; everything else in it is portable.

#include <cstdint>
#include <string>
#include <string_view>

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

enum class FileAccess { None, ReadOnly, ReadWrite };

// Reads the whole file; tells whether it could be opened for writing, only for reading or not
// at all (then `bytes` is left empty).
FileAccess ReadWholeFile(const std::string& name, std::string& bytes);

// A temporary file beside its target that takes the target's place only once it is complete.
struct Replacement {
    std::string Target;
    std::string TempName;
    FileHandle Handle = kNoFile;
};

// Creates the empty temporary file; false when the target's directory takes no new file.
bool BeginReplacement(const std::string& target, Replacement& replacement);

// Writes the bytes, flushes them to the disk and renames the temporary file over the target.
// On any failure the temporary file is removed and the target keeps its old content.
void FinishReplacement(Replacement& replacement, std::string_view bytes);

// Opens or creates the file for appending, locked against other writers; kNoFile when either
// the open or the lock is refused.
FileHandle OpenLockedForAppend(const std::string& name);

// Hands the bytes straight to the file system, so readers of the file see them at once.
void AppendToFile(FileHandle file, std::string_view bytes);

void CloseFile(FileHandle file);
