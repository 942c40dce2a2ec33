#pragma once
// A fresh directory under the system's temporary one, current while the object lives; the
// previous current directory comes back and the scratch one is removed with its contents.
// For code that reads and writes beside itself, as the program does in its own directory.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class ScratchCurrentDirectory {
  public:
    explicit ScratchCurrentDirectory(const std::string& prefix = "comterm") {
        std::string name = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(name.data()))
            throw std::runtime_error("cannot make a scratch directory");
        path_ = name;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchCurrentDirectory() {
        // Either may be gone by now: some tests remove the directory under the program.
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchCurrentDirectory(const ScratchCurrentDirectory&) = delete;
    ScratchCurrentDirectory& operator=(const ScratchCurrentDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
