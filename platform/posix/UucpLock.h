#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace kelvane {

// The lock files by which terminal programs (minicom, ser2net, cu) tell each other which devices they hold:
// "LCK..ttyUSB0", holding the holder's process id as ten ASCII digits and a new line.
class UucpLock {
public:
    // Where lock files are looked for and made.
    using Folders = std::vector<std::filesystem::path>;
    static Folders SystemFolders() { return {"/run/lock", "/var/lock"}; }

    // The lock file's name for `device` ("LCK..ttyUSB0"), after the links that lead to it
    // (/dev/serial/by-id/…); empty when the device cannot be named.
    static std::string LockName(const std::string& device);

    // The live process holding `device` in one of `folders`; none when no lock file names a running process.
    // A lock file whose process is gone (or which names none) is stale: it is removed when possible.
    static std::optional<pid_t> Holder(const std::string& device, const Folders& folders);

    // Takes the lock for this process in the first of `folders` where one can be made. None when no file could
    // be made (no folder, no right to write there) or another took it first (`taken` then says so): a program
    // without the right to lock still works, as the others do.
    static std::optional<UucpLock> Take(const std::string& device, const Folders& folders, bool& taken);

    UucpLock(UucpLock&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    UucpLock& operator=(UucpLock&& other) noexcept;
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;
    ~UucpLock();

    const std::filesystem::path& Path() const { return path_; }

private:
    explicit UucpLock(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
};

}  // namespace kelvane
