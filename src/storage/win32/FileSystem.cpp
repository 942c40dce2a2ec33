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

bool MoveTo(HANDLE handle, std::uint64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle, at, nullptr, FILE_BEGIN);
}

bool SetLength(HANDLE handle, std::uint64_t length) {
    return MoveTo(handle, length) && SetEndOfFile(handle);
}

bool ReadFromStart(HANDLE handle, std::string& bytes) {
    if (!MoveTo(handle, 0))
        return false;
    for (std::size_t done = 0; done < bytes.size();) {
        const auto wanted =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle, bytes.data() + done, wanted, &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

bool WriteFromStart(HANDLE handle, std::string_view bytes) {
    return MoveTo(handle, 0) && WriteAll(handle, bytes);
}

// The file's own clusters take the bytes. Room beyond its old length is taken before anything
// is overwritten, and the part the new bytes cover is kept to be put back on a failure.
bool WriteOver(HANDLE handle, std::string_view bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size))
        return false;
    const auto oldLength = static_cast<std::uint64_t>(size.QuadPart);
    if (bytes.size() > oldLength && !SetLength(handle, bytes.size())) {
        SetLength(handle, oldLength);
        return false;
    }
    std::string old(static_cast<std::size_t>(std::min<std::uint64_t>(oldLength, bytes.size())),
                    '\0');
    if (!ReadFromStart(handle, old)) {
        SetLength(handle, oldLength);
        return false;
    }
    if (!WriteFromStart(handle, bytes)) {
        WriteFromStart(handle, old);
        SetLength(handle, oldLength);
        return false;
    }
    return SetLength(handle, bytes.size()) && FlushFileBuffers(handle);
}

// A file with the read-only attribute is the user's frozen file, and anything but a file on a
// disk is never written.
bool MayWriteInPlace(const std::string& target) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

void WriteInPlace(const std::string& target, std::string_view bytes) {
    if (!MayWriteInPlace(target))
        return;
    const HANDLE handle = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    if (GetFileType(handle) == FILE_TYPE_DISK)
        WriteOver(handle, bytes);
    CloseHandle(handle);
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

void FinishReplacement(Replacement& replacement, std::string_view bytes) {
    if (!replacement.TempName.empty()) {
        const HANDLE handle = Handle(replacement.Handle);
        const bool written = WriteAll(handle, bytes) && FlushFileBuffers(handle);
        const bool closed = CloseHandle(handle);
        if (written && closed &&
            MoveFileExA(replacement.TempName.c_str(), replacement.Target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            replacement = {};
            return;
        }
        DeleteFileA(replacement.TempName.c_str());
    }
    WriteInPlace(replacement.Target, bytes);
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
