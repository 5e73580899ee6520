#include "platform/win32/Win32SerialPort.h"

#include <cstdio>
#include <windows.h>

namespace kelvane {
namespace {

bool ConfigureLine(HANDLE handle) {
    DCB line{};
    line.DCBlength = sizeof(line);
    if (!GetCommState(handle, &line)) return false;
    line.BaudRate = CBR_115200;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    if (!SetCommState(handle, &line)) return false;

    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 1;
    timeouts.ReadTotalTimeoutMultiplier = 1;
    timeouts.ReadTotalTimeoutConstant = 1;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(handle, &timeouts) != 0;
}

}  // namespace

std::unique_ptr<Win32SerialPort> Win32SerialPort::Open(std::uint8_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(number));
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (!ConfigureLine(handle)) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::unique_ptr<Win32SerialPort>(new Win32SerialPort(handle));
}

Win32SerialPort::~Win32SerialPort() { CloseHandle(static_cast<HANDLE>(handle_)); }

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
    DWORD written = 0;
    const BOOL ok = WriteFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr);
    return ok && written == bytes.size();
}

std::optional<std::uint8_t> Win32SerialPort::ReadByte() {
    std::uint8_t byte = 0;
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), &byte, 1, &got, nullptr) || got != 1) return std::nullopt;
    return byte;
}

}  // namespace kelvane
