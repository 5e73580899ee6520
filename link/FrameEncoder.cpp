#include "link/FrameEncoder.h"

namespace kelvane {

// Two length bytes at the most.
constexpr std::size_t kMaxPayload = 0xFFFF;

std::uint8_t FrameEncoder::LengthForm(std::size_t length) {
    if (length <= kShortLengthBits) return static_cast<std::uint8_t>(length);
    return length <= 0xFF ? kByteLengthForm : kWordLengthForm;
}

bool FrameEncoder::Encode(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> payload) {
    length_ = 0;
    checksum_ = 0;
    overflow_ = payload.size() > kMaxPayload;
    AppendRaw(kFrameStart);
    AppendRaw(address);
    AppendRaw(kPcAddress);

    const std::uint8_t form = LengthForm(payload.size());
    AppendByte(static_cast<std::uint8_t>((command & 0xF0) | form));
    if (form == kWordLengthForm) AppendByte(static_cast<std::uint8_t>((payload.size() >> 8) & 0xFF));
    if (form >= kByteLengthForm) AppendByte(static_cast<std::uint8_t>(payload.size() & 0xFF));
    for (const std::uint8_t byte : payload) AppendByte(byte);

    // The checksum byte is stuffed like data but is not part of its own sum.
    AppendStuffed(checksum_);
    checksum_ = 0;

    if (overflow_) length_ = 0;
    return !overflow_;
}

void FrameEncoder::AppendRaw(std::uint8_t byte) {
    if (length_ >= buffer_.size()) {
        overflow_ = true;
        return;
    }
    buffer_[length_++] = byte;
}

void FrameEncoder::AppendStuffed(std::uint8_t byte) {
    AppendRaw(byte);
    if (byte == kFrameStart) AppendRaw(byte);
}

void FrameEncoder::AppendByte(std::uint8_t byte) {
    checksum_ ^= byte;
    AppendStuffed(byte);
}

}  // namespace kelvane
