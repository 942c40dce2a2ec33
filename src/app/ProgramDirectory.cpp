#include "app/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

std::string DirectoryOf(const std::string& executablePath) {
    const std::size_t slash = executablePath.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

void MakeProgramDirectoryCurrent() {
    const std::string directory = DirectoryOf(ExecutablePath());
    if (directory.empty())
        return;
    std::error_code ignored;
    std::filesystem::current_path(directory, ignored);
}
