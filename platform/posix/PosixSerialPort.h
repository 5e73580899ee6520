#pragma once

#include "platform/SerialPort.h"
#include "platform/posix/UucpLock.h"

#include <chrono>
#include <optional>
#include <string>
#include <termios.h>

namespace kelvane {

// A tty device opened raw at 115200 8N1 for the rack: never blocks on a missing carrier, and holds the line
// exclusively while it is open.
class PosixSerialPort final : public SerialPort {
public:
    // The open port, or null when the device cannot be opened or configured (with errno in `error`). A live
    // lock file of another program in `lockFolders` makes the device busy; while open the port holds a lock file
    // of its own. Without folders given, a device right under /dev is locked in the system's lock folders, as
    // terminal programs do; others (pseudo-terminals, whose names no other program locks by) are not.
    static std::unique_ptr<PosixSerialPort> Open(const std::string& path, int* error = nullptr,
                                                 const UucpLock::Folders* lockFolders = nullptr);
    // True for the errors of a port that another program holds.
    static bool IsBusy(int error);
    // The failure of opening `path` with `error`, in words the operator can act on: the group that may open the
    // device, the process that holds its lock file.
    static OpenFailure Explain(const std::string& path, int error, const UucpLock::Folders* lockFolders = nullptr);
    ~PosixSerialPort() override;

    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    ReadResult ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                             std::chrono::milliseconds wait) override;
    bool HungUp() const override { return hungUp_; }

private:
    PosixSerialPort(int fd, const termios& found, bool lowLatencySet, std::optional<UucpLock> lock)
        : fd_(fd), found_(found), lowLatencySet_(lowLatencySet), lock_(std::move(lock)) {}
    bool WaitWritable();
    void SleepUntilDue(std::size_t count, std::chrono::steady_clock::time_point deadline) const;
    ReadResult TakeOrWait(std::span<std::uint8_t> into, std::chrono::milliseconds wait);
    ReadResult Took(std::size_t count);
    ReadResult LoseLine();

    int fd_;
    // The line settings the port had before this program changed them: given back on close, as terminal
    // programs do, so that whoever uses the port next finds it as it was.
    termios found_;
    bool lowLatencySet_;  // this port asked the driver for low latency, and gives it back on close
    std::optional<UucpLock> lock_;  // removed as the port closes
    bool hungUp_ = false;
    // When the line last did something this port saw: a write went out or bytes were taken.
    std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
};

}  // namespace kelvane
