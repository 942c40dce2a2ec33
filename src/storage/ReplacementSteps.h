#pragma once
// The operating-system steps that FinishReplacement is made of; each platform's FileSystem.cpp
// gives them.

#include <string>
#include <string_view>

#include "storage/FileSystem.h"

// Writes the bytes to the open temporary file, flushes them to the disk and closes the file,
// also after a failure; false when any of it failed.
bool WriteFlushAndClose(FileHandle file, std::string_view bytes);

// Renames the temporary file over the target, so that the rename itself survives a crash.
bool MoveOverTarget(const std::string& tempName, const std::string& target);

void RemoveFile(const std::string& name);

// Writes the bytes over the target's text by WriteInPlace, where the target is a regular file
// that may be replaced; otherwise leaves it alone.
void WriteTargetInPlace(const std::string& target, std::string_view bytes);
