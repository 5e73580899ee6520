#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace kelvane {

class WaitHook;

// What one read found on the line.
enum class ReadStatus {
    Received,  // at least one byte
    TimedOut,  // nothing came before the wait ran out
    HungUp,  // the far end went away or the device failed: nothing will ever come on this port
};

struct ReadResult {
    std::size_t count = 0;  // bytes placed at the front of the caller's buffer
    ReadStatus status = ReadStatus::TimedOut;
};

// One open serial line to the rack: raw bytes, 115200 8N1, exclusive to this program.
// Closing is the destructor's job, so a port can never be left open by an early return.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Writes the bytes in order; false when the line refused them (not all may have gone out).
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;

    // Waits at most `wait` for the first byte, then takes every byte already there that fits `into`, all in
    // one call. A zero wait only takes what is pending.
    virtual ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) = 0;

    // Read for a caller that knows at least `expected` more bytes must come before what it waits for can end (the
    // rest of an echo, of a reply's payload). A port that knows its line's pace may let bytes gather for the time
    // the line needs to carry them, so that a paced reply costs a few wake-ups instead of one per byte; it never
    // waits beyond `wait`, and returns what came as Read does. Ports that do not know the pace just Read.
    virtual ReadResult ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                                     std::chrono::milliseconds wait) {
        (void)expected;
        return Read(into, wait);
    }

    // True once a read or a write found the line hung up or the device failed.
    virtual bool HungUp() const { return false; }

    // Time the line adds to every exchange beyond that of a local line (a serial server far away): the link
    // waits this much longer for echoes and replies.
    virtual std::chrono::milliseconds ExtraLatency() const { return std::chrono::milliseconds(0); }

    // What the far end said as it closed the line (a serial server's banner before it hung up), as it came;
    // empty when it said nothing or the line is still there.
    virtual std::string PartingWords() const { return {}; }

    // One byte, or nothing when none arrived within a millisecond (or the line is gone).
    std::optional<std::uint8_t> ReadByte() {
        std::uint8_t byte = 0;
        if (Read({&byte, 1}, std::chrono::milliseconds(1)).count != 1) return std::nullopt;
        return byte;
    }
};

// Why a port gave no rack, in words the operator can act on.
enum class OpenProblem {
    Unexplained,  // a system error without a better name (see `error`)
    Absent,  // nothing has this number: the search passes it without a word
    Missing,  // the device named does not exist (unplugged, mistyped)
    NotPermitted,  // this user may not open the device; `detail` names the group that may
    Busy,  // another program holds the device (or its lock file); `detail` may name the process
    NotSerial,  // the path is not a terminal device
    BadEntry,  // the entry cannot be read; `detail` says why
    Refused,  // the server refused the connection
    UnknownHost,  // the server's name does not resolve
    TimedOut,  // the server did not answer within the bound
    Unreachable,  // no route to the server
    SettingsRefused,  // the server refused the line settings; `detail` holds its words
    ServerInUse,  // the server said its device is in use; `detail` holds its words
    ServerClosed,  // the server closed the connection; `detail` holds what it said
    NoAnswer,  // the port opened, but no rack answered on it
};

// Why the last open gave no port.
struct OpenFailure {
    std::string device;  // as the operator knows it
    int error = 0;  // errno on POSIX, GetLastError() on Windows; 0 when the port was opened
    bool busy = false;  // another program holds the port
    OpenProblem problem = OpenProblem::Unexplained;
    std::string detail;
};

// True when a serial server's parting words say that its device is taken by someone else ("Port already in
// use", "Device already in use").
inline bool SaysInUse(const std::string& words) {
    std::string lower;
    for (const char c : words) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.find("in use") != std::string::npos;
}

// Opens COM ports by number, the way the rack search counts them (0 to 255). A number may stand for a
// network entry as well (a serial server), which is opened as a port like any other.
class PortOpener {
public:
    virtual ~PortOpener() = default;

    // Called as a port search starts, so that ports plugged in since the last search are counted.
    virtual void BeginSearch() {}

    // The port numbered `number`, configured for the rack, or null when it cannot be opened.
    virtual std::unique_ptr<SerialPort> Open(std::uint8_t number) = 0;

    // Why the last Open returned null. An opener that cannot say has nothing to tell the operator.
    virtual OpenFailure LastOpenFailure() const {
        OpenFailure failure;
        failure.problem = OpenProblem::Absent;
        return failure;
    }

    // How the operator knows port `number`: "COM5" or a device path.
    virtual std::string Describe(std::uint8_t number) const = 0;

    // How many entries the table has, numbered from 0; 0 where the system cannot list its ports (every COM
    // number may then be one). Ports plugged in later count from the next search on.
    virtual std::size_t EntryCount() const { return 0; }

    // The name the operator gave the rack on port `number` ("Mont Aigoual @ ..."); empty when none.
    virtual std::string RackName(std::uint8_t number) const {
        (void)number;
        return {};
    }

    // Called while an open waits (a connection to a serial server, its negotiation); null for none.
    virtual void SetWaitHook(WaitHook* hook) { (void)hook; }
};

}  // namespace kelvane
