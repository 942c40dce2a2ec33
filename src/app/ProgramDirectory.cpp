#include "app/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr std::size_t kMaxPathLength = 260;
}

std::string DirectoryOf(const std::string& executablePath) {
    const std::string path = executablePath.substr(0, kMaxPathLength);
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void MakeProgramDirectoryCurrent() {
    const std::string directory = DirectoryOf(ExecutablePath());
    if (directory.empty())
        return;
    std::error_code ignored;
    std::filesystem::current_path(directory, ignored);
}
