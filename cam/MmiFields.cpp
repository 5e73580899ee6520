#include "cam/MmiFields.h"

#include "text/TextDecoding.h"

namespace kelvane {

constexpr std::uint8_t kLongForm = 0x80;
constexpr std::uint8_t kLengthBytesMask = 0x7F;

std::optional<std::size_t> ReadLengthField(std::span<const std::uint8_t> bytes, std::size_t& position) {
    if (position >= bytes.size()) return std::nullopt;
    const std::uint8_t first = bytes[position];
    if ((first & kLongForm) == 0) {
        ++position;
        return first;
    }
    const std::size_t count = first & kLengthBytesMask;
    if (count == 0 || count > kMaxLengthFieldBytes || count > bytes.size() - position - 1) return std::nullopt;
    std::size_t length = 0;
    for (std::size_t k = 1; k <= count; ++k) length = (length << 8) | bytes[position + k];
    position += 1 + count;
    return length;
}

std::string BytesToText(std::span<const std::uint8_t> bytes) { return DecodeText(bytes).utf8; }

}  // namespace kelvane
