#pragma once

#include "platform/SerialPort.h"

#include <memory>

namespace kelvane {

// "\\.\COMn" opened for exclusive synchronous use at 115200 8N1; a read waits for its first byte with time-outs
// of its own wait, then takes what else is there.
class Win32SerialPort final : public SerialPort {
public:
    // The open port, or null with GetLastError() in `error`.
    static std::unique_ptr<Win32SerialPort> Open(std::uint8_t number, unsigned long* error = nullptr);
    static bool IsBusy(unsigned long error);
    ~Win32SerialPort() override;

    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    bool HungUp() const override { return hungUp_; }

private:
    // The time-outs of a read: a wait of 0 takes what is there, any other waits that long for one byte.
    struct ReadForm {
        unsigned long waitMs = 0;
        bool operator==(const ReadForm&) const = default;
    };

    // The line settings and time-outs the port had when it was opened, given back on close.
    struct Found;

    Win32SerialPort(void* handle, std::unique_ptr<Found> found);
    bool SetReadTimeouts(ReadForm form);
    bool ReadWithin(std::span<std::uint8_t> into, unsigned long waitMs, unsigned long& got);
    ReadResult LoseLine();

    void* handle_;
    std::unique_ptr<Found> found_;
    // The form the port's time-outs are set for; they are set again only when it changes. None at first.
    ReadForm readForm_{~0ul};
    bool hungUp_ = false;
};

// COM numbers are the system's own on Windows.
class Win32PortOpener final : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    std::string Describe(std::uint8_t number) const override { return "COM" + std::to_string(number); }
    OpenFailure LastOpenFailure() const override { return lastFailure_; }

private:
    OpenFailure lastFailure_;
};

}  // namespace kelvane
