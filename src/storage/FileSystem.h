#pragma once
// The few operating-system calls of the storage code; everything else in it is portable.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

enum class FileAccess { None, ReadOnly, ReadWrite };

// More than a settings file could ever need; the rest of a larger file is not read.
constexpr std::size_t kMaxReadBytes = 16u << 20;

// Reads at most kMaxReadBytes of a regular file, following links; tells whether the file may
// also be replaced (ReadWrite), only read (ReadOnly), or could not be read (None, `bytes` left
// empty). Anything but a regular file (a pipe, a device, a directory, a link loop) reads as
// None, and no open or read of it waits.
FileAccess ReadWholeFile(const std::string& name, std::string& bytes);

// A temporary file beside its target that takes the target's place only once it is complete;
// or, where no such file can be made, the target itself, written over in place.
struct Replacement {
    std::string Target;   // empty when nothing was begun
    std::string TempName; // empty when the target is written in place
    FileHandle Handle = kNoFile;
};

// Creates the empty temporary file; where the target's directory takes no new file, settles
// for writing the existing target in place. False when the target may not be replaced: only a
// regular file that the user may write (and that has a write permission bit, or on Windows no
// read-only attribute), or a name that does not exist yet, is replaced; a link stays a link,
// and its target is replaced instead.
bool BeginReplacement(const std::string& target, Replacement& replacement);

// Writes the bytes, flushes them to the disk and renames the temporary file over the target.
// When that fails (no room for a second copy, say), the temporary file is removed and the
// bytes are written into the target in place, in the order of InPlaceWrite.h. What that
// promises: after any failure the code sees, and after a kill between any two of its system
// calls, the target reads to the settings reader as its old settings or its new ones, and
// holds no zero byte that neither text has, also when another program shortens it meanwhile.
// Out of reach: a power loss; a kill inside one write call, or right after a write of a text
// that the system carried out only in part before failing (the putting back follows at once;
// with the room taken first, that needs a failing disk or one that stores what is overwritten
// anew); and a putting back that fails too.
void FinishReplacement(Replacement& replacement, std::string_view bytes);

// Opens or creates a regular file for appending, locked against other writers; kNoFile when
// the open or the lock is refused or the name is anything but a regular file.
FileHandle OpenLockedForAppend(const std::string& name);

// Hands the bytes straight to the file system, so readers of the file see them at once.
void AppendToFile(FileHandle file, std::string_view bytes);

void CloseFile(FileHandle file);
