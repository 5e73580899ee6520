#pragma once

#include "app/SlotTable.h"
#include "config/ImageFields.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

// Big-endian reads from an image or a reply that never look past its end: a byte beyond it reads as 0, so a
// short image decodes as if it had been padded with zeros. Has() tells the callers that must know.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : fields_(bytes) {}

    std::size_t Size() const { return fields_.Size(); }
    bool Has(std::size_t position, std::size_t width) const { return fields_.Holds(position, width); }
    std::uint8_t U8(std::size_t position) const { return fields_.U8(position).value_or(0); }
    std::uint16_t U16(std::size_t position) const {
        return static_cast<std::uint16_t>((U8(position) << 8) | U8(position + 1));
    }
    std::uint32_t U32(std::size_t position) const { return (std::uint32_t{U16(position)} << 16) | U16(position + 2); }
    std::span<const std::uint8_t> Bytes() const { return fields_.Bytes(); }

private:
    ImageFields fields_;
};

// Assembles a configuration image in a buffer of the record's capacity. A write that does not fit is dropped
// and remembered, so that a cut image can never be stored.
class ImageWriter {
public:
    void U8(std::uint8_t value);
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void Append(std::span<const std::uint8_t> bytes);
    // A UTF-8 text as Latin-1 bytes with its NUL. A NUL inside the text is left out: it would end the text
    // early and shift every field after it.
    void Text(const std::string& utf8);

    bool Overflowed() const { return overflowed_; }
    std::size_t Length() const { return length_; }

    // Stores the image into the record and sets its length; refuses (false, record untouched) after an overflow.
    bool StoreInto(SlotRecord& record) const;

private:
    std::array<std::uint8_t, kConfigCapacity> bytes_{};
    std::size_t length_ = 0;
    bool overflowed_ = false;
};

}  // namespace kelvane
