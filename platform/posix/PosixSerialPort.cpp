#include "platform/posix/PosixSerialPort.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace kelvane {
namespace {

constexpr std::chrono::milliseconds kWriteWait{1000};
// One byte on the line at 115200 baud, 8N1: ten bits.
constexpr std::chrono::nanoseconds kByteTime{86'806};
// Gathering wakes when the last expected byte can first be there: a byte may follow the line's last event at
// once, so the count's line time less one byte. Waking earlier costs a read and a wake-up per byte still due.
constexpr std::chrono::nanoseconds kGatherMargin = kByteTime;

// TIOCGEXCL is missing from old kernels: there the answer is "not held", and TIOCEXCL still refuses others.
bool HeldExclusively(int fd) {
#ifdef TIOCGEXCL
    int held = 0;
    return ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0;
#else
    (void)fd;
    return false;
#endif
}

bool ConfigureLine(int fd, const termios& found) {
    termios settings = found;
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // poll() does the waiting: VTIME counts tenths of a second, far too coarse for the link's deadlines.
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (cfsetispeed(&settings, B115200) != 0 || cfsetospeed(&settings, B115200) != 0) return false;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

// USB adapters hold received bytes for up to their latency timer (16 ms on an FTDI) before the PC sees them;
// drivers that take the low-latency flag shorten that (ftdi_sio sets the timer to 1 ms) or hand bytes on at once.
// Many drivers, and pseudo-terminals, refuse the request: the line works as it is. True when the flag was set
// here, so that closing gives it back.
bool AskLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0) return false;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    (void)fd;
    return false;
#endif
}

void GiveBackLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    serial.flags &= ~ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
#else
    (void)fd;
#endif
}

// The lock folders that apply to `path`: those given, or the system's for a device right under /dev.
UucpLock::Folders LockFoldersOf(const std::string& path, const UucpLock::Folders* given) {
    if (given != nullptr) return *given;
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    if (ec || real.parent_path() != "/dev") return {};
    return UucpLock::SystemFolders();
}

// The name of the group that owns `path`, which a user must belong to for the device's usual modes.
std::string GroupOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    std::array<char, 4096> buffer{};
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::to_string(status.st_gid);
    }
    return found->gr_name;
}

OpenProblem ProblemOf(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return OpenProblem::Missing;
    case EACCES:
    case EPERM: return OpenProblem::NotPermitted;
    case EBUSY: return OpenProblem::Busy;
    case ENOTTY: return OpenProblem::NotSerial;
    default: return OpenProblem::Unexplained;
    }
}

}  // namespace

OpenFailure PosixSerialPort::Explain(const std::string& path, int error, const UucpLock::Folders* lockFolders) {
    OpenFailure failure{path, error, IsBusy(error), ProblemOf(error), {}};
    if (failure.problem == OpenProblem::NotPermitted) failure.detail = GroupOf(path);
    if (failure.problem == OpenProblem::Busy) {
        if (const auto holder = UucpLock::Holder(path, LockFoldersOf(path, lockFolders))) {
            failure.detail = std::to_string(*holder);
        }
    }
    return failure;
}

std::unique_ptr<PosixSerialPort> PosixSerialPort::Open(const std::string& path, int* error,
                                                       const UucpLock::Folders* lockFolders) {
    const auto refuse = [error](int fd, int reason) -> std::unique_ptr<PosixSerialPort> {
        if (fd >= 0) ::close(fd);
        if (error != nullptr) *error = reason;
        return nullptr;
    };
    // Another terminal program's lock file is checked before the device is touched: opening it may already
    // change its control lines.
    const UucpLock::Folders folders = LockFoldersOf(path, lockFolders);
    if (UucpLock::Holder(path, folders)) return refuse(-1, EBUSY);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(fd, errno);
    if (!isatty(fd)) return refuse(fd, ENOTTY);
    // The advisory lock is what terminal programs hold, and it binds root as well; TIOCEXCL keeps out
    // those that do not lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(fd, errno == EWOULDBLOCK ? EBUSY : errno);
    // Exclusivity already set belongs to another program, which root alone could open past: respect it.
    if (HeldExclusively(fd)) return refuse(fd, EBUSY);
    termios found{};
    if (ioctl(fd, TIOCEXCL) != 0 || tcgetattr(fd, &found) != 0 || !ConfigureLine(fd, found)) {
        const int reason = errno;
        ioctl(fd, TIOCNXCL);
        return refuse(fd, reason);
    }
    bool lockedByOther = false;
    std::optional<UucpLock> lock = UucpLock::Take(path, folders, lockedByOther);
    if (lockedByOther) {
        ioctl(fd, TIOCNXCL);
        return refuse(fd, EBUSY);
    }
    tcflush(fd, TCIOFLUSH);
    const bool lowLatencySet = AskLowLatency(fd);
    if (error != nullptr) *error = 0;
    return std::unique_ptr<PosixSerialPort>(new PosixSerialPort(fd, found, lowLatencySet, std::move(lock)));
}

bool PosixSerialPort::IsBusy(int error) { return error == EBUSY; }

PosixSerialPort::~PosixSerialPort() {
    // Exclusivity belongs to the tty, not to this descriptor: give back what this port set, or the next open
    // of the same port would be refused. A port is only ever open here after it set it itself (an exclusivity
    // found set refuses the open), so this never clears another program's.
    if (lowLatencySet_) GiveBackLowLatency(fd_);
    // At once, not after the output drains: a line that stopped moving must not hold the close.
    tcsetattr(fd_, TCSANOW, &found_);
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
}

bool PosixSerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (hungUp_) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitWritable()) return false;
        } else {
            // EIO once the far end is gone, or any other failure of the device.
            LoseLine();
            return false;
        }
    }
    lastActivity_ = std::chrono::steady_clock::now();
    return true;
}

ReadResult PosixSerialPort::Took(std::size_t count) {
    lastActivity_ = std::chrono::steady_clock::now();
    return {count, ReadStatus::Received};
}

ReadResult PosixSerialPort::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    using std::chrono::steady_clock;
    if (hungUp_) return {0, ReadStatus::HungUp};
    // A read of nothing would return 0, which is how a hung-up line shows: never ask for it.
    if (into.empty()) return {0, ReadStatus::TimedOut};
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return LoseLine();
        if (ready == 0) return {0, ReadStatus::TimedOut};
        if ((p.revents & POLLIN) == 0) return LoseLine();  // POLLHUP, POLLERR or POLLNVAL alone
        const ssize_t n = ::read(fd_, into.data(), into.size());
        if (n > 0) return Took(static_cast<std::size_t>(n));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return {0, ReadStatus::TimedOut};
        // The line said it was readable and gave nothing, or the read failed (EIO once the far end is gone).
        return LoseLine();
    }
}

// The line carries a byte every 86.8 µs at best, and whatever the caller still expects follows the line's last
// event seen here (the write that went out, or the last byte taken): the expected bytes cannot all be there before
// their line time from that moment. Sleeping through it and taking them in one read spares a wake-up and a read
// per byte. The expected count is a floor given by the caller, so the sleep never passes the end of what it waits
// for, and never the wait. Bytes late for their time (a slow module, an adapter that holds them) are waited for
// as Read does.
ReadResult PosixSerialPort::ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                                          std::chrono::milliseconds wait) {
    using std::chrono::steady_clock;
    if (hungUp_) return {0, ReadStatus::HungUp};
    if (into.empty()) return {0, ReadStatus::TimedOut};
    const auto deadline = steady_clock::now() + wait;
    // Nothing expected is still a wait for the first byte, as Read is.
    const std::size_t want = std::clamp<std::size_t>(expected, 1, into.size());
    ReadResult got{0, ReadStatus::TimedOut};
    while (got.count < want) {
        SleepUntilDue(want - got.count, deadline);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
        const ReadResult more = TakeOrWait(into.subspan(got.count), std::max(left, std::chrono::milliseconds(0)));
        if (more.status == ReadStatus::HungUp && got.count == 0) return more;
        // A hang-up after some bytes is told by the next read; what came is the caller's now.
        if (more.status != ReadStatus::Received) break;
        got = {got.count + more.count, ReadStatus::Received};
    }
    return got;
}

// Sleeps until `count` more bytes can have crossed the line since its last event, or until the deadline.
void PosixSerialPort::SleepUntilDue(std::size_t count, std::chrono::steady_clock::time_point deadline) const {
    const auto due = std::min<std::chrono::steady_clock::time_point>(
        lastActivity_ + static_cast<std::int64_t>(count) * kByteTime - kGatherMargin, deadline);
    if (due > std::chrono::steady_clock::now()) std::this_thread::sleep_until(due);
}

// What is there is taken at once: after a sleep through the bytes' line time they usually are, and a read
// costs less than a poll and a read. Only when nothing is there does the wait fall to Read. A raw tty that
// has nothing gives 0 as a hung-up one does; Read's poll tells the two apart.
ReadResult PosixSerialPort::TakeOrWait(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    for (;;) {
        const ssize_t n = ::read(fd_, into.data(), into.size());
        if (n > 0) return Took(static_cast<std::size_t>(n));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || errno == EAGAIN) return Read(into, wait);
        return LoseLine();
    }
}

// A line that stays full for a second refuses the write; one that hangs up meanwhile is lost.
bool PosixSerialPort::WaitWritable() {
    const auto deadline = std::chrono::steady_clock::now() + kWriteWait;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLOUT, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return false;
        if (ready > 0 && (p.revents & POLLOUT) != 0) return true;
        LoseLine();
        return false;
    }
}

ReadResult PosixSerialPort::LoseLine() {
    hungUp_ = true;
    return {0, ReadStatus::HungUp};
}

}  // namespace kelvane
