#pragma once

#include "platform/SerialPort.h"

namespace kelvane {

// "\\.\COMn" opened for exclusive synchronous use at 115200 8N1; each read sets the time-outs of its own wait.
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
    explicit Win32SerialPort(void* handle) : handle_(handle) {}
    bool SetReadWait(std::chrono::milliseconds wait);
    ReadResult LoseLine();

    void* handle_;
    // The read wait the port's time-outs are set for; they are set again only when it changes.
    std::chrono::milliseconds readWait_{-1};
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
