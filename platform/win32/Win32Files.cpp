// The file toolkit on Windows: handles opened so that no link or device is ever written through or waited on
// where a file is meant, with wide names so that no character of a name is lost.

#include "platform/FileToolkit.h"
#include "platform/PartialFileName.h"

#include <algorithm>
#include <optional>
#include <random>

#include <windows.h>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

// ReadFile and WriteFile count in 32 bits: larger spans go in parts of this size.
constexpr std::size_t kMostAtOnce = 1u << 30;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The system's reasons, those that have a portable name given it, so that callers can compare them with std::errc.
std::error_code SystemError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED: return std::make_error_code(std::errc::permission_denied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    default: return {static_cast<int>(code), std::system_category()};
    }
}
std::error_code LastError() { return SystemError(GetLastError()); }

bool IsAccessDenied(DWORD code) { return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT; }

std::error_code KindRefusal(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileRefusal::SymbolicLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::make_error_code(std::errc::is_a_directory);
    return {};
}

// Devices ("NUL", "COM1") answer to their names anywhere: only what lives on a disk is a file.
bool OnDisk(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

bool MayReplace(const fs::path& target, std::error_code& error) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
        error = SystemError(code);
        return false;
    }
    if (const std::error_code refusal = KindRefusal(attributes)) {
        error = refusal;
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = FileRefusal::FileWriteProtected;
        return false;
    }
    const HANDLE probe =
        CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = IsAccessDenied(code) ? make_error_code(FileRefusal::FileWriteProtected) : SystemError(code);
        return false;
    }
    const bool onDisk = OnDisk(probe);
    CloseHandle(probe);
    if (!onDisk) error = FileRefusal::NotRegular;
    return onDisk;
}

// CREATE_NEW takes the name only while nothing, not even a link, stands under it.
HANDLE CreatePartial(const fs::path& target, fs::path& partial, std::error_code& error) {
    std::random_device random;
    for (int attempt = 0; attempt < kPartialNameAttempts; ++attempt) {
        partial = PartialFileName(target, random());
        const HANDLE handle =
            CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return handle;
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
        error = IsAccessDenied(code) ? make_error_code(FileRefusal::FolderWriteProtected) : SystemError(code);
        return INVALID_HANDLE_VALUE;
    }
    error = FileRefusal::NoFreeName;
    return INVALID_HANDLE_VALUE;
}

bool FillPartial(HANDLE handle, std::span<const std::uint8_t> bytes, std::error_code& error) {
    bool filled = true;
    for (std::size_t done = 0; filled && done < bytes.size();) {
        const DWORD now = static_cast<DWORD>(std::min(bytes.size() - done, kMostAtOnce));
        DWORD wrote = 0;
        filled = WriteFile(handle, bytes.data() + done, now, &wrote, nullptr) && wrote > 0;
        done += wrote;
    }
    filled = filled && FlushFileBuffers(handle);
    if (!filled) error = LastError();
    CloseHandle(handle);
    return filled;
}

}  // namespace

void RegularFileReader::Close() {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
    handle_ = kClosed;
}

std::intptr_t RegularFileReader::OpenRegular(const fs::path& path, std::uintmax_t& size, std::error_code& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = LastError();
        return kClosed;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = std::make_error_code(std::errc::is_a_directory);
        return kClosed;
    }
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return kClosed;
    }
    LARGE_INTEGER length{};
    if (!OnDisk(handle)) {
        error = FileRefusal::NotRegular;
    } else if (!GetFileSizeEx(handle, &length)) {
        error = LastError();
    }
    if (error) {
        CloseHandle(handle);
        return kClosed;
    }
    size = static_cast<std::uintmax_t>(length.QuadPart);
    return reinterpret_cast<std::intptr_t>(handle);
}

std::size_t RegularFileReader::ReadSome(std::span<std::uint8_t> into, std::error_code& error) {
    DWORD got = 0;
    if (!ReadFile(AsHandle(handle_), into.data(), static_cast<DWORD>(std::min(into.size(), kMostAtOnce)), &got,
                  nullptr)) {
        error = LastError();
        return 0;
    }
    return got;
}

bool ReplaceFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes, std::error_code& error) {
    error.clear();
    if (!MayReplace(target, error)) return false;
    fs::path partial;
    const HANDLE handle = CreatePartial(target, partial, error);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool replaced = FillPartial(handle, bytes, error);
    if (replaced && !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        error = IsAccessDenied(code) ? make_error_code(FileRefusal::FileWriteProtected) : SystemError(code);
        replaced = false;
    }
    if (!replaced) DeleteFileW(partial.c_str());
    return replaced;
}

}  // namespace kelvane
