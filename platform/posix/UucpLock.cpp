#include "platform/posix/UucpLock.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// A lock file is eleven bytes; anything much longer is not one.
constexpr std::size_t kLockFileBytes = 64;

// The process id written in a lock file; none when the file holds none.
std::optional<pid_t> ReadPid(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::array<char, kLockFileBytes> text{};
    const ssize_t n = ::read(fd, text.data(), text.size() - 1);
    ::close(fd);
    if (n <= 0) return std::nullopt;
    long pid = 0;
    std::size_t k = 0;
    while (k < static_cast<std::size_t>(n) && text[k] == ' ') ++k;
    const std::size_t first = k;
    for (; k < static_cast<std::size_t>(n) && text[k] >= '0' && text[k] <= '9' && pid < 1'000'000'000; ++k) {
        pid = pid * 10 + (text[k] - '0');
    }
    if (k == first || pid <= 0) return std::nullopt;
    return static_cast<pid_t>(pid);
}

// A process we may not signal is alive all the same.
bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::string UucpLock::LockName(const std::string& device) {
    std::error_code ec;
    fs::path real = fs::canonical(device, ec);
    if (ec) real = device;
    const std::string name = real.filename().string();
    return name.empty() ? std::string() : "LCK.." + name;
}

std::optional<pid_t> UucpLock::Holder(const std::string& device, const Folders& folders) {
    const std::string name = LockName(device);
    if (name.empty()) return std::nullopt;
    for (const fs::path& folder : folders) {
        const fs::path path = folder / name;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(path, ec))) continue;
        if (const std::optional<pid_t> pid = ReadPid(path); pid && Running(*pid)) return pid;
        // Stale: its program ended without removing it. Others remove such files too.
        fs::remove(path, ec);
    }
    return std::nullopt;
}

std::optional<UucpLock> UucpLock::Take(const std::string& device, const Folders& folders, bool& taken) {
    taken = false;
    const std::string name = LockName(device);
    if (name.empty()) return std::nullopt;
    std::array<char, 16> text{};
    const int length = std::snprintf(text.data(), text.size(), "%10ld\n", static_cast<long>(::getpid()));
    for (const fs::path& folder : folders) {
        const fs::path path = folder / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            // Made by another program between its check and ours: the device is theirs.
            if (errno == EEXIST) {
                taken = true;
                return std::nullopt;
            }
            continue;
        }
        const bool written = ::write(fd, text.data(), static_cast<std::size_t>(length)) == length;
        ::close(fd);
        if (written) return UucpLock(path);
        std::error_code ec;
        fs::remove(path, ec);
    }
    return std::nullopt;
}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept {
    if (this != &other) {
        UucpLock gone(std::move(*this));
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

UucpLock::~UucpLock() {
    if (path_.empty()) return;
    // Only our own file: a program that found it stale after a crash of ours may have made its own since.
    if (ReadPid(path_) != ::getpid()) return;
    std::error_code ec;
    fs::remove(path_, ec);
}

}  // namespace kelvane
