#include "panel/ImageBytes.h"

#include "text/Latin1.h"

#include <algorithm>

namespace kelvane {

void ImageWriter::U8(std::uint8_t value) {
    if (overflowed_ || length_ >= bytes_.size()) {
        overflowed_ = true;
        return;
    }
    bytes_[length_++] = value;
}

void ImageWriter::U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value >> 8));
    U8(static_cast<std::uint8_t>(value));
}

void ImageWriter::U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value >> 16));
    U16(static_cast<std::uint16_t>(value));
}

void ImageWriter::Append(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) U8(byte);
}

void ImageWriter::Text(const std::string& utf8) {
    for (const char c : Utf8ToLatin1(utf8)) {
        if (c != '\0') U8(static_cast<std::uint8_t>(c));
    }
    U8(0x00);
}

bool ImageWriter::StoreInto(SlotRecord& record) const {
    if (overflowed_) return false;
    std::copy_n(bytes_.begin(), length_, record.Config.begin());
    record.ConfigLength = static_cast<std::uint16_t>(length_);
    return true;
}

}  // namespace kelvane
