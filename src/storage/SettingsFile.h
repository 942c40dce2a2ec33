#pragma once
// The one settings file of the program: read once with defaults, or written anew as a whole.

#include <cstdint>
#include <string>

// Reads the file; one that cannot be read gives every read its default.
void OpenSettings(const std::string& fileName);

// Starts a new, empty file that replaces the old one at CloseSettings; false when it cannot be
// created, and then nothing is open.
bool CreateSettings(const std::string& fileName);

// An empty name selects the keys before the first group header.
void SelectGroup(const std::string& group);

int32_t ReadNumber(const std::string& key, int32_t defaultValue);
std::string ReadText(const std::string& key, const std::string& defaultValue);

// Only the low 32 bits of the number are written.
void WriteNumber(const std::string& key, int64_t value);
void WriteText(const std::string& key, const std::string& value);

// Writes the file if anything was written (a created file is always replaced), then forgets it.
void CloseSettings();
