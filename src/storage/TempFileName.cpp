#include "storage/TempFileName.h"

std::string TempFileName(const std::string& target, std::uint64_t processId, int attempt) {
    return target + "." + std::to_string(processId) + "." + std::to_string(attempt) + ".tmp";
}
