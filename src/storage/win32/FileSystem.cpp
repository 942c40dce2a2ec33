#include "storage/FileSystem.h"

#include <algorithm>
#include <windows.h>

#include "storage/InPlaceWrite.h"
#include "storage/ReplacementSteps.h"
#include "storage/TempFileName.h"

namespace {

HANDLE Handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
    return reinterpret_cast<FileHandle>(handle);
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        // One call takes at most a DWORD's worth; larger texts go in pieces.
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

HANDLE OpenExisting(const std::string& name, DWORD access) {
    return CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool MoveTo(HANDLE handle, std::uint64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle, at, nullptr, FILE_BEGIN);
}

bool SetLength(HANDLE handle, std::uint64_t length) {
    return MoveTo(handle, length) && SetEndOfFile(handle);
}

// Reads from the file's start to its end, up to limit bytes.
bool ReadUpTo(HANDLE handle, std::size_t limit, std::string& bytes) {
    bytes.clear();
    if (!MoveTo(handle, 0))
        return false;
    char buffer[4096];
    while (bytes.size() < limit) {
        const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, limit - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(handle, buffer, wanted, &got, nullptr))
            return false;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return true;
}

class InPlaceHandle final : public InPlaceFile {
  public:
    explicit InPlaceHandle(HANDLE handle) : handle_(handle) {}

    bool readUpTo(std::size_t limit, std::string& bytes) override {
        return ReadUpTo(handle_, limit, bytes);
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        return MoveTo(handle_, offset) && WriteAll(handle_, bytes);
    }
    std::optional<std::uint64_t> size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size))
            return std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }
    bool cutTo(std::uint64_t length) override { return SetLength(handle_, length); }
    bool flush() override { return FlushFileBuffers(handle_); }

  private:
    HANDLE handle_;
};

// A file with the read-only attribute is the user's frozen file, and anything but a file on a
// disk is never written.
bool MayWriteInPlace(const std::string& target) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

} // namespace

void WriteTargetInPlace(const std::string& target, std::string_view bytes) {
    if (!MayWriteInPlace(target))
        return;
    const HANDLE handle = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        InPlaceHandle file(handle);
        WriteInPlace(file, bytes);
    }
    CloseHandle(handle);
}

FileAccess ReadWholeFile(const std::string& name, std::string& bytes) {
    FileAccess access = FileAccess::ReadWrite;
    HANDLE handle = OpenExisting(name, GENERIC_READ | GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE) {
        access = FileAccess::ReadOnly;
        handle = OpenExisting(name, GENERIC_READ);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return FileAccess::None;
    std::string content;
    if (!ReadUpTo(handle, kMaxReadBytes, content)) {
        CloseHandle(handle);
        return FileAccess::None;
    }
    CloseHandle(handle);
    bytes = std::move(content);
    return access;
}

bool BeginReplacement(const std::string& target, Replacement& replacement) {
    for (int attempt = 0; attempt < kTempFileNameAttempts; ++attempt) {
        const std::string tempName = TempFileName(target, GetCurrentProcessId(), attempt);
        const HANDLE handle = CreateFileA(tempName.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            replacement = {target, tempName, FromHandle(handle)};
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    // No new file beside it (a folder the user may not write, a full disk): the old file is
    // written over instead.
    if (MayWriteInPlace(target)) {
        replacement = {target, {}, kNoFile};
        return true;
    }
    return false;
}

bool WriteFlushAndClose(FileHandle file, std::string_view bytes) {
    const HANDLE handle = Handle(file);
    const bool written = WriteAll(handle, bytes) && FlushFileBuffers(handle);
    const bool closed = CloseHandle(handle);
    return written && closed;
}

bool MoveOverTarget(const std::string& tempName, const std::string& target) {
    return MoveFileExA(tempName.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void RemoveFile(const std::string& name) {
    DeleteFileA(name.c_str());
}

FileHandle OpenLockedForAppend(const std::string& name) {
    // Sharing only reads keeps every other writer out for as long as the handle lives, so
    // after one seek to the end every write lands there.
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return kNoFile;
    const LARGE_INTEGER end{};
    if (!SetFilePointerEx(handle, end, nullptr, FILE_END)) {
        CloseHandle(handle);
        return kNoFile;
    }
    return FromHandle(handle);
}

void AppendToFile(FileHandle file, std::string_view bytes) {
    WriteAll(Handle(file), bytes);
}

void CloseFile(FileHandle file) {
    CloseHandle(Handle(file));
}
