#include "sim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kelvane::sim {
namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string LinkTarget(const std::string& path) {
    std::array<char, 4096> target{};
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
    return n < 0 ? std::string() : std::string(target.data(), static_cast<std::size_t>(n));
}

}  // namespace

bool PseudoTerminal::Open(std::string& error, const std::string& linkPath) {
    Close();
    if (OpenMaster(error) && OpenSlave(error) && (linkPath.empty() || MakeLink(linkPath, error))) return true;
    Close();
    return false;
}

bool PseudoTerminal::OpenMaster(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    std::array<char, 256> name{};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name.data(), name.size()) != 0) {
        error = SystemError("cannot prepare the pseudo-terminal");
        return false;
    }
    slavePath_ = name.data();
    // The simulator's loop waits in poll(); a full slave queue must not block it.
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 || ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
        error = SystemError("cannot set up the pseudo-terminal");
        return false;
    }
    return true;
}

bool PseudoTerminal::OpenSlave(std::string& error) {
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || ::tcgetattr(slave_, &settings) != 0) {
        error = SystemError("cannot open " + slavePath_);
        return false;
    }
    // Raw from the start: a tty that echoed would send the rack's own replies back to it before the program
    // has set the line up. No hang-up on close, so the program closing its handle changes nothing here.
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0) {
        error = SystemError("cannot set " + slavePath_ + " to raw mode");
        return false;
    }
    return true;
}

bool PseudoTerminal::MakeLink(const std::string& linkPath, std::string& error) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error = linkPath + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(linkPath.c_str());  // left behind by an earlier run that did not end cleanly
    }
    if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
        error = SystemError("cannot make the link " + linkPath);
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

void PseudoTerminal::RemoveLink() {
    if (!linkPath_.empty() && LinkTarget(linkPath_) == slavePath_) ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

void PseudoTerminal::Close() {
    RemoveLink();
    CloseFd(slave_);
    CloseFd(master_);
}

int PseudoTerminal::PendingForSlave() const {
    int pending = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &pending) != 0) return 0;
    return pending;
}

namespace {

// Whether a process other than this one has `path` open, read from /proc. Processes whose descriptors cannot be
// read are passed over: they could not have opened this user's terminal either.
bool OpenElsewhere(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (fs::directory_iterator process("/proc", error), end; !error && process != end; process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid == self || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code fdError;
        for (fs::directory_iterator fd(process->path() / "fd", fdError); !fdError && fd != end; fd.increment(fdError)) {
            std::error_code linkError;
            if (fs::read_symlink(fd->path(), linkError) == path) return true;
        }
    }
    return false;
}

}  // namespace

void PseudoTerminal::ReleaseAbandonedExclusion() const {
#ifdef TIOCGEXCL
    int held = 0;
    if (slave_ < 0 || ::ioctl(slave_, TIOCGEXCL, &held) != 0 || held == 0) return;
    // The simulator's own handle is an open file of its own, so the lock is refused while a program holds it.
    if (::flock(slave_, LOCK_EX | LOCK_NB) != 0) return;
    ::flock(slave_, LOCK_UN);
    // A program may hold the port exclusive without the lock; only when none holds it at all was it abandoned.
    if (!OpenElsewhere(slavePath_)) ::ioctl(slave_, TIOCNXCL);
#endif
}

}  // namespace kelvane::sim
