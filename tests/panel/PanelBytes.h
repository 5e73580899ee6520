#pragma once

#include "app/SlotTable.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kelvane::test {

// Writes images and replies field by field, big-endian, as the modules send them.
class PanelBytes {
public:
    PanelBytes& U8(unsigned value) {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    PanelBytes& U16(unsigned value) { return U8(value >> 8).U8(value & 0xFF); }
    PanelBytes& U32(std::uint32_t value) { return U16(value >> 16).U16(value & 0xFFFF); }
    PanelBytes& Raw(std::initializer_list<unsigned> values) {
        for (const unsigned v : values) U8(v);
        return *this;
    }
    PanelBytes& Text(const std::string& latin1) {
        for (const char c : latin1) U8(static_cast<unsigned char>(c));
        return U8(0);
    }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};

inline SlotRecord Record(std::uint8_t type, const std::vector<std::uint8_t>& image) {
    SlotRecord record;
    record.Type = type;
    const std::size_t length = std::min(image.size(), record.Config.size());
    std::copy_n(image.begin(), length, record.Config.begin());
    record.ConfigLength = static_cast<std::uint16_t>(length);
    return record;
}

inline std::vector<std::uint8_t> Image(const SlotRecord& record) {
    return {record.Config.begin(), record.Config.begin() + record.ConfigLength};
}

inline unsigned U16At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (static_cast<unsigned>(bytes.at(at)) << 8) | bytes.at(at + 1);
}

}  // namespace kelvane::test
