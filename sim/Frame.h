#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane::sim {

constexpr std::uint8_t kStartByte = 0x02;
constexpr std::uint8_t kPcAddress = 0xFD;
constexpr std::uint8_t kBroadcastAddress = 0xFF;
constexpr std::uint8_t kControllerAddress = 0x00;

constexpr std::uint8_t kAccepted = 0xF0;
constexpr std::uint8_t kRefused = 0xE0;

// A code byte carries the command in its high nibble and the length form in its low one.
constexpr std::uint8_t CommandOf(std::uint8_t code) { return static_cast<std::uint8_t>(code & 0xF0); }
constexpr std::uint8_t LengthFormOf(std::uint8_t code) { return static_cast<std::uint8_t>(code & 0x0F); }

// Command bytes the rack understands.
constexpr std::uint8_t kIdentityCommand = 0x10;
constexpr std::uint8_t kStatusCommand = 0x40;
constexpr std::uint8_t kWriteCommand = 0x50;
constexpr std::uint8_t kListCommand = 0x60;
constexpr std::uint8_t kReadConfigCommand = 0x70;
constexpr std::uint8_t kRestartCommand = 0x80;
constexpr std::uint8_t kFileListCommand = 0x90;
constexpr std::uint8_t kFirmwareCommand = 0xC0;

// Length forms: up to kMaxInlineLength the form is the length itself; 0x04 announces one length byte, 0x08 two.
constexpr std::size_t kMaxInlineLength = 3;
constexpr std::uint8_t kOneLengthByte = 0x04;
constexpr std::uint8_t kTwoLengthBytes = 0x08;
constexpr std::size_t kMaxPayload = 0xFFFF;

// One request as the PC sent it, stuffing removed.
struct Request {
    std::uint8_t destination = 0;
    std::uint8_t source = 0;
    std::uint8_t code = 0;  // as received, length form included
    std::vector<std::uint8_t> payload;

    std::uint8_t Command() const { return CommandOf(code); }
    bool operator==(const Request&) const = default;
};

// The low nibble of the code byte and the length bytes that announce a payload of `length` bytes.
std::uint8_t LengthForm(std::size_t length);

// A request frame as the PC puts it on the line: the three header bytes raw, then the code byte, the length
// bytes, the payload and the checksum, each 0x02 among them doubled. `checksumMask` is XORed into the checksum
// so that a deliberately broken frame is still stuffed correctly. Payloads longer than kMaxPayload are cut.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t destination, std::uint8_t source, std::uint8_t command,
                                      std::span<const std::uint8_t> payload, std::uint8_t checksumMask = 0);

// One module's answer: accepted (code nibble 0xF0) or refused (0xE0), with its payload.
struct Reply {
    std::uint8_t source = 0;
    bool accepted = false;
    std::vector<std::uint8_t> payload;

    bool operator==(const Reply&) const = default;
};

// The reply frame on the line, addressed to the PC: laid out like a request, except that the source address
// is stuffed too, since the PC unstuffs everything after the start byte.
std::vector<std::uint8_t> EncodeReply(const Reply& reply, std::uint8_t checksumMask = 0);

}  // namespace kelvane::sim
