// The file toolkit on POSIX systems: descriptors opened so that no link, pipe or device is ever followed or
// waited on where a file is meant.

#include "platform/FileToolkit.h"
#include "platform/PartialFileName.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

std::error_code LastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// The system's ways of saying "not for you": the user lacks the right, or the disk is mounted read-only.
bool IsAccessDenied(int code) { return code == EACCES || code == EPERM || code == EROFS || code == ETXTBSY; }

std::error_code KindRefusal(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return std::make_error_code(std::errc::is_a_directory);
    if (S_ISLNK(mode)) return FileRefusal::SymbolicLink;
    return FileRefusal::NotRegular;
}

void CloseQuietly(int descriptor) {
    const int saved = errno;
    close(descriptor);
    errno = saved;
}

// An existing file that the operator could not overwrite in place is not replaced behind their back either.
// `keep` gets the permission bits the new file must have.
bool MayReplace(const fs::path& target, std::optional<mode_t>& keep, std::error_code& error) {
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0) {
        if (errno == ENOENT) return true;
        error = LastError();
        return false;
    }
    if (const std::error_code refusal = KindRefusal(status.st_mode)) {
        error = refusal;
        return false;
    }
    // Its owner marked it read-only: that stands even for an administrator, whom the system lets write it.
    if ((status.st_mode & S_IWUSR) == 0) {
        error = FileRefusal::FileWriteProtected;
        return false;
    }
    // The system decides with all it knows (owner, group, access lists, a read-only mount); opening to append
    // changes nothing in the file.
    const int probe = open(target.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (probe < 0) {
        error = IsAccessDenied(errno) ? make_error_code(FileRefusal::FileWriteProtected) : LastError();
        return false;
    }
    close(probe);
    // Only the read, write and execute bits: a set-user-id bit must never pass to a file of another owner.
    keep = status.st_mode & 0777;
    return true;
}

// Created only while its name is free, so that a link planted under it in a shared folder is never followed.
int CreatePartial(const fs::path& target, const std::optional<mode_t>& keep, fs::path& partial,
                  std::error_code& error) {
    std::random_device random;
    for (int attempt = 0; attempt < kPartialNameAttempts; ++attempt) {
        partial = PartialFileName(target, random());
        const int descriptor =
            open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, keep.value_or(0666));
        if (descriptor < 0 && errno == EEXIST) continue;
        if (descriptor < 0) {
            error = IsAccessDenied(errno) ? make_error_code(FileRefusal::FolderWriteProtected) : LastError();
            return -1;
        }
        // Set before a byte goes in, past the process's umask, so that a private file is never readable by
        // others on the way and a shared one stays shared.
        if (keep && fchmod(descriptor, *keep) != 0) {
            error = LastError();
            close(descriptor);
            unlink(partial.c_str());
            return -1;
        }
        return descriptor;
    }
    error = FileRefusal::NoFreeName;
    return -1;
}

bool WriteAll(int descriptor, std::span<const std::uint8_t> bytes, std::error_code& error) {
    for (std::size_t done = 0; done < bytes.size();) {
        errno = 0;
        const ssize_t wrote = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            error = LastError();
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Writes, pushes past the system's cache onto the disk and closes: a file renamed over an older one afterwards
// cannot turn up empty after a power cut.
bool FillPartial(int descriptor, std::span<const std::uint8_t> bytes, std::error_code& error) {
    bool filled = WriteAll(descriptor, bytes, error);
    if (filled && fsync(descriptor) != 0) {
        error = LastError();
        filled = false;
    }
    if (close(descriptor) != 0 && filled) {
        error = LastError();
        filled = false;
    }
    return filled;
}

// Makes the rename durable; a failure here leaves the renamed file intact, so it is not reported.
void SyncFolder(const fs::path& folder) {
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

void RegularFileReader::Close() {
    if (IsOpen()) close(static_cast<int>(handle_));
    handle_ = kClosed;
}

std::intptr_t RegularFileReader::OpenRegular(const fs::path& path, std::uintmax_t& size, std::error_code& error) {
    // A device is not even opened: opening a serial line or a tape does things of its own.
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        error = LastError();
        return kClosed;
    }
    if (const std::error_code refusal = KindRefusal(status.st_mode)) {
        error = refusal;
        return kClosed;
    }
    // Without waiting, and looked at again once open: what stands there may have changed since.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        error = LastError();
        return kClosed;
    }
    if (fstat(descriptor, &status) != 0) {
        error = LastError();
    } else if (const std::error_code refusal = KindRefusal(status.st_mode)) {
        error = refusal;
    }
    if (error) {
        CloseQuietly(descriptor);
        return kClosed;
    }
    size = static_cast<std::uintmax_t>(status.st_size);
    return descriptor;
}

std::size_t RegularFileReader::ReadSome(std::span<std::uint8_t> into, std::error_code& error) {
    for (;;) {
        errno = 0;
        const ssize_t got = read(static_cast<int>(handle_), into.data(), into.size());
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error = LastError();
            return 0;
        }
    }
}

bool ReplaceFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes, std::error_code& error) {
    error.clear();
    std::optional<mode_t> keep;
    if (!MayReplace(target, keep, error)) return false;
    fs::path partial;
    const int descriptor = CreatePartial(target, keep, partial, error);
    if (descriptor < 0) return false;
    bool replaced = FillPartial(descriptor, bytes, error);
    if (replaced && rename(partial.c_str(), target.c_str()) != 0) {
        // A folder that lets anyone make files may still keep each user's files to their owner.
        error = errno == EACCES || errno == EPERM ? make_error_code(FileRefusal::FileWriteProtected) : LastError();
        replaced = false;
    }
    if (!replaced) {
        unlink(partial.c_str());
        return false;
    }
    SyncFolder(target.parent_path());
    return true;
}

}  // namespace kelvane
