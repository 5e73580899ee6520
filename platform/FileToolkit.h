#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <system_error>
#include <vector>

namespace kelvane {

// Why a file was refused before a byte of it was read or written, beside the system's own reasons (a folder
// under the name is std::errc::is_a_directory, as the system says it). Each compares equal to the nearest
// std::errc, and its message can be shown to the operator as it is.
enum class FileRefusal {
    NotRegular = 1,  // a device, a named pipe or a socket (invalid_argument)
    SymbolicLink,  // a symbolic link, which a replace would not follow (too_many_symbolic_link_levels)
    TooLarge,  // longer than the caller's limit (file_too_large)
    FileWriteProtected,  // this user may not write or replace the file (permission_denied)
    FolderWriteProtected,  // this user may not make a file in its folder (permission_denied)
    NoFreeName,  // no unused name beside it for the new file (file_exists)
};
const std::error_category& FileRefusalCategory();
std::error_code make_error_code(FileRefusal refusal);

// One regular file open for reading, at most `limit` bytes of it. Opening never waits on what is not a
// file: a named pipe without a writer, a terminal or any other device is refused at once.
class RegularFileReader {
public:
    RegularFileReader() = default;
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // False, with `error` saying why, when `path` is missing, unreadable, not a regular file (links are
    // followed) or longer than `limit` bytes.
    bool Open(const std::filesystem::path& path, std::uintmax_t limit, std::error_code& error);
    // Up to `into.size()` bytes; 0 at the end of the file, or with `error` set on a failure, including a file
    // that grew past the limit since it was opened.
    std::size_t Read(std::span<std::uint8_t> into, std::error_code& error);
    bool IsOpen() const { return handle_ != kClosed; }

private:
    // The system's open of a regular file, looked at once open: its handle and its `size`, or kClosed with
    // `error` saying why.
    static std::intptr_t OpenRegular(const std::filesystem::path& path, std::uintmax_t& size, std::error_code& error);
    // The system's read into all of `into`: 0 only at the end of the file or with `error` set.
    std::size_t ReadSome(std::span<std::uint8_t> into, std::error_code& error);
    void Close();

    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;  // a descriptor, or a Windows handle
    std::uintmax_t allowed_ = 0;  // bytes still within the limit
};

// Reads a regular file of at most `limit` bytes in chunks of bounded size, handing each to `take` as it comes, so
// that no file need be held whole; false with `error` when it cannot be opened or read to its end.
bool ReadRegularFileInChunks(const std::filesystem::path& path, std::uintmax_t limit,
                             const std::function<void(std::span<const std::uint8_t>)>& take, std::error_code& error);

// Reads a regular file of at most `limit` bytes whole into `bytes`; false with `error` and `bytes` empty when
// it cannot.
bool ReadRegularFile(const std::filesystem::path& path, std::uintmax_t limit, std::vector<std::uint8_t>& bytes,
                     std::error_code& error);

// Replaces the regular file `target` (or makes it) with `bytes` in one step: they go into a hidden file created
// beside it under a fresh name, never through a link planted there, are pushed onto the disk, and the file is
// renamed over the target, so that a reader sees the old whole file or the new whole file. Refused, leaving the
// target as it was, when the target is anything but a regular file (a link, a folder, a device, a pipe), when
// its owner marked it read-only or this user may not write it; the new file takes the old one's permission bits.
// On any failure nothing is left beside it.
bool ReplaceFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                           std::error_code& error);

}  // namespace kelvane

template <>
struct std::is_error_code_enum<kelvane::FileRefusal> : std::true_type {};
