#pragma once

#include "app/SlotTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kelvane {

// Where an output module's image keeps what every reader and writer of it needs: the level after the frequency
// and the five modulation bytes, then the count of service entries and the entries themselves (two bytes each
// on the single-channel output, three on the others), each entry's flags with the bit that activates it.
constexpr std::size_t kOutputLevelOffset = 7;
constexpr std::size_t kServiceCountOffset = 8;
constexpr std::size_t kFirstEntryOffset = 9;
constexpr std::uint8_t kActivatedFlag = 0x80;

// An input module's image opens with its rows, one for each tuner (three on the player): frequency, symbol
// rate, FEC or polarity, and the row's service count n, then the n service ids and their n CAM bytes.
constexpr std::size_t kInputRowCountOffset = 5;
constexpr std::size_t kInputRowHeader = 6;
constexpr std::size_t kPlayerInputRows = 3;
constexpr std::size_t InputRowSize(std::size_t services) { return kInputRowHeader + 3 * services; }

// Big-endian fields of a configuration image. The counts inside an image come from a module or a file and
// cannot be trusted, so a field that does not lie wholly inside the image is absent: nothing is read from
// whatever memory follows it, and nothing is written there.
class ImageFields {
public:
    explicit ImageFields(std::span<const std::uint8_t> image) : image_(image) {}

    std::size_t Size() const { return image_.size(); }
    std::span<const std::uint8_t> Bytes() const { return image_; }
    bool Holds(std::size_t offset, std::size_t width) const {
        return offset <= image_.size() && width <= image_.size() - offset;
    }

    std::optional<std::uint8_t> U8(std::size_t offset) const {
        if (!Holds(offset, 1)) return std::nullopt;
        return image_[offset];
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const {
        if (!Holds(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>((image_[offset] << 8) | image_[offset + 1]);
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        if (!Holds(offset, 4)) return std::nullopt;
        return (std::uint32_t{image_[offset]} << 24) | (std::uint32_t{image_[offset + 1]} << 16) |
               (std::uint32_t{image_[offset + 2]} << 8) | std::uint32_t{image_[offset + 3]};
    }

private:
    std::span<const std::uint8_t> image_;
};

// Writes a big-endian u16 when it lies wholly inside `image`; false (and nothing written) otherwise.
inline bool StoreU16(std::span<std::uint8_t> image, std::size_t offset, std::uint16_t value) {
    if (offset > image.size() || image.size() - offset < 2) return false;
    image[offset] = static_cast<std::uint8_t>(value >> 8);
    image[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
    return true;
}

// The valid bytes of a record's image: never more than its buffer, whatever ConfigLength claims.
inline std::span<const std::uint8_t> ValidImage(const SlotRecord& record) {
    return {record.Config.data(), std::min<std::size_t>(record.ConfigLength, kConfigCapacity)};
}
inline std::span<std::uint8_t> ValidImage(SlotRecord& record) {
    return {record.Config.data(), std::min<std::size_t>(record.ConfigLength, kConfigCapacity)};
}

}  // namespace kelvane
