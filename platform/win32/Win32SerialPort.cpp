#include "platform/win32/Win32SerialPort.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <windows.h>

namespace kelvane {
namespace {

// A write that cannot finish within this (plus a millisecond a byte) has met a line that does not move.
constexpr DWORD kWriteWaitMs = 1000;
constexpr DWORD kWriteWaitPerByteMs = 1;

// Every field that can stop reads or change bytes is set here, whatever another program left in the port:
// no hardware or XON/XOFF flow control, no error character or NUL stripping, and no abort on a line error
// (which would fail every read until someone cleared it). DTR and RTS stay up for the adapters and bus
// converters that draw power or direction from them.
void SetWholeLine(DCB& line) {
    line.BaudRate = CBR_115200;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fDsrSensitivity = FALSE;
    line.fTXContinueOnXoff = TRUE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = FALSE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fAbortOnError = FALSE;
}

bool ConfigureLine(HANDLE handle, const DCB& found) {
    DCB line = found;
    SetWholeLine(line);
    if (!SetCommState(handle, &line)) return false;
    // An error left pending under another program's abort-on-error would fail the first reads.
    DWORD errors = 0;
    ClearCommError(handle, &errors, nullptr);
    return PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR) != 0;
}

}  // namespace

// What another program (or the system) had set, so that the port is left as it was found.
struct Win32SerialPort::Found {
    DCB line{};
    COMMTIMEOUTS timeouts{};
};

Win32SerialPort::Win32SerialPort(void* handle, std::unique_ptr<Found> found)
    : handle_(handle), found_(std::move(found)) {}

std::unique_ptr<Win32SerialPort> Win32SerialPort::Open(std::uint8_t number, unsigned long* error) {
    char name[16];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(number));
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (error != nullptr) *error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto found = std::make_unique<Found>();
    found->line.DCBlength = sizeof(found->line);
    if (!GetCommState(handle, &found->line) || !GetCommTimeouts(handle, &found->timeouts) ||
        !ConfigureLine(handle, found->line)) {
        if (error != nullptr) *error = GetLastError();
        CloseHandle(handle);
        return nullptr;
    }
    auto port = std::unique_ptr<Win32SerialPort>(new Win32SerialPort(handle, std::move(found)));
    // The time-outs another program left would rule the first read otherwise.
    if (!port->SetReadTimeouts({0})) {
        if (error != nullptr) *error = GetLastError();
        return nullptr;
    }
    return port;
}

// A COM port is opened unshared: another program holding it makes the open fail with "access denied".
bool Win32SerialPort::IsBusy(unsigned long error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

std::unique_ptr<SerialPort> Win32PortOpener::Open(std::uint8_t number) {
    unsigned long error = 0;
    auto port = Win32SerialPort::Open(number, &error);
    const bool busy = Win32SerialPort::IsBusy(error);
    // The system's COM numbers: most are simply not there, which is no news to the operator.
    const OpenProblem problem = busy                            ? OpenProblem::Busy
                                : error == ERROR_FILE_NOT_FOUND ? OpenProblem::Absent
                                                                : OpenProblem::Unexplained;
    lastFailure_ = OpenFailure{Describe(number), static_cast<int>(error), busy, problem, {}};
    return port;
}

Win32SerialPort::~Win32SerialPort() {
    const auto handle = static_cast<HANDLE>(handle_);
    SetCommState(handle, &found_->line);
    SetCommTimeouts(handle, &found_->timeouts);
    CloseHandle(handle);
}

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (hungUp_) return false;
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        // A pulled adapter or a failed device: nothing more will pass this port.
        LoseLine();
        return false;
    }
    // Fewer bytes without an error: the write time-out ran out on a line that did not move.
    return written == bytes.size();
}

// Reads use two forms of time-outs, each with one meaning for every Windows serial driver and for Wine's:
// "take what is there" (interval MAXDWORD, no total) returns at once, with or without bytes; "wait for one
// byte" (no interval, the wait as the total) ends a one-byte read as soon as its byte comes. The single form
// "MAXDWORD, MAXDWORD, wait" that Windows documents as "return with the first bytes" is not used: Wine takes
// it as "fill the buffer or wait the whole time", which held every reply until its request's whole time-out.
bool Win32SerialPort::SetReadTimeouts(ReadForm form) {
    if (form == readForm_) return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = form.waitMs == 0 ? MAXDWORD : 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = form.waitMs;
    timeouts.WriteTotalTimeoutMultiplier = kWriteWaitPerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
    if (!SetCommTimeouts(static_cast<HANDLE>(handle_), &timeouts)) return false;
    readForm_ = form;
    return true;
}

bool Win32SerialPort::ReadWithin(std::span<std::uint8_t> into, unsigned long waitMs, unsigned long& got) {
    DWORD count = 0;
    if (!SetReadTimeouts({waitMs}) ||
        !ReadFile(static_cast<HANDLE>(handle_), into.data(), static_cast<DWORD>(into.size()), &count, nullptr)) {
        return false;
    }
    got = count;
    return true;
}

ReadResult Win32SerialPort::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    if (hungUp_) return {0, ReadStatus::HungUp};
    if (into.empty()) return {0, ReadStatus::TimedOut};
    std::size_t total = 0;
    const auto waitMs = static_cast<unsigned long>(std::clamp<std::int64_t>(wait.count(), 0, MAXDWORD - 1));
    if (waitMs > 0) {
        unsigned long first = 0;
        if (!ReadWithin(into.first(1), waitMs, first)) return LoseLine();
        if (first == 0) return {0, ReadStatus::TimedOut};
        total = 1;
    }
    // Whatever came with or before the first byte, without waiting for more.
    unsigned long rest = 0;
    if (total < into.size() && !ReadWithin(into.subspan(total), 0, rest)) return LoseLine();
    total += rest;
    if (total == 0) return {0, ReadStatus::TimedOut};
    return {total, ReadStatus::Received};
}

ReadResult Win32SerialPort::LoseLine() {
    hungUp_ = true;
    return {0, ReadStatus::HungUp};
}

}  // namespace kelvane
