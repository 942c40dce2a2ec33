#include "storage/FileSystem.h"

#include <algorithm>
#include <windows.h>

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

} // namespace

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
    char buffer[4096];
    while (content.size() < kMaxReadBytes) {
        const auto wanted =
            static_cast<DWORD>(std::min(sizeof buffer, kMaxReadBytes - content.size()));
        DWORD got = 0;
        if (!ReadFile(handle, buffer, wanted, &got, nullptr)) {
            CloseHandle(handle);
            return FileAccess::None;
        }
        if (got == 0)
            break;
        content.append(buffer, got);
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
            return false;
    }
    return false;
}

void FinishReplacement(Replacement& replacement, std::string_view bytes) {
    const HANDLE handle = Handle(replacement.Handle);
    const bool written = WriteAll(handle, bytes) && FlushFileBuffers(handle);
    const bool closed = CloseHandle(handle);
    if (!(written && closed &&
          MoveFileExA(replacement.TempName.c_str(), replacement.Target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        DeleteFileA(replacement.TempName.c_str());
    replacement = {};
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
