#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace kelvane {

// One open serial line to the rack: raw bytes, 115200 8N1, exclusive to this program.
// Closing is the destructor's job, so a port can never be left open by an early return.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Writes the bytes in order; false when the line refused them (not all may have gone out).
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;

    // One byte, or nothing when none arrived within about a millisecond (or the read failed).
    virtual std::optional<std::uint8_t> ReadByte() = 0;
};

// Opens COM ports by number, the way the rack search counts them (0 to 255).
class PortOpener {
public:
    virtual ~PortOpener() = default;

    // The port numbered `number`, configured for the rack, or null when it cannot be opened.
    virtual std::unique_ptr<SerialPort> Open(std::uint8_t number) = 0;

    // How the operator knows port `number`: "COM5" or a device path.
    virtual std::string Describe(std::uint8_t number) const = 0;
};

}  // namespace kelvane
