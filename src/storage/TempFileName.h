#pragma once

#include <cstdint>
#include <string>

// Names taken by a crashed earlier run are skipped, not reused; this many are tried.
constexpr int kTempFileNameAttempts = 100;

// The name of a temporary file beside its target: "<target>.<process id>.<attempt>.tmp".
std::string TempFileName(const std::string& target, std::uint64_t processId, int attempt);
