#include "link/PcapngBlock.h"

namespace kelvane {

constexpr std::size_t kTotalLengthAt = 4;
constexpr std::uint16_t kEndOfOptions = 0;

PcapngBlock::PcapngBlock(std::uint32_t blockType) {
    U32(blockType);
    U32(0);  // block total length, patched by Finish
}

void PcapngBlock::U16(std::uint16_t value) {
    for (int shift = 0; shift < 16; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PcapngBlock::U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PcapngBlock::U64(std::uint64_t value) {
    for (int shift = 0; shift < 64; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PcapngBlock::PaddedBytes(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
}

void PcapngBlock::Option(std::uint16_t code, std::span<const std::uint8_t> value) {
    U16(code);
    U16(static_cast<std::uint16_t>(value.size()));
    PaddedBytes(value);
}

void PcapngBlock::Option(std::uint16_t code, std::string_view text) {
    Option(code, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::vector<std::uint8_t> PcapngBlock::Finish() {
    U16(kEndOfOptions);
    U16(0);
    const auto total = static_cast<std::uint32_t>(bytes_.size() + 4);
    U32(total);
    for (std::size_t k = 0; k < 4; ++k) bytes_[kTotalLengthAt + k] = static_cast<std::uint8_t>(total >> (8 * k));
    return std::move(bytes_);
}

}  // namespace kelvane
