#pragma once
// The log of received text: one dated file at a time, extended chunk by chunk.

#include <ctime>
#include <string>

// The date and time by a mask of "%yyyy", "%yy", "%mm", "%dd", "%hh", "%ii" and "%ss" tokens,
// in any case; any other character is copied.
std::string FormatTimestamp(const std::string& mask, const std::tm& localTime);

// The local time a new log is named after. The system's clock unless another is given: a null
// clock gives the system's back.
using LocalClock = std::tm (*)();
void SetLogClock(LocalClock clock);

// Appends the text to the open log, first opening one named after the clock's local time;
// when that open fails the text is dropped and the next chunk tries again.
void WriteLogChunk(const std::string& text);

// Ends the current log when both the log and the new-log-per-connection flags are set.
void RotateLog();

// Closes the log at shutdown.
void CloseLog();
