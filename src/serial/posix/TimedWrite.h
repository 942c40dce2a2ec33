#pragma once

#include <chrono>
#include <cstddef>

// Writes to a non-blocking descriptor until all bytes went out, the time is up or the
// device fails; returns how many bytes went out.
std::size_t WriteWithin(int fd, const char* data, std::size_t size,
                        std::chrono::milliseconds timeout);
