#include "text/TableSelector.h"

#include "text/Iso8859.h"

namespace kelvane {
namespace {

constexpr std::uint8_t kFirstTextByte = 0x20;
constexpr std::uint8_t kFirstIso8859Selector = 0x01;
constexpr std::uint8_t kLastIso8859Selector = 0x0B;
// Selector 0x01 is part 5, and so on up.
constexpr int kIso8859PartOffset = 4;
constexpr std::uint8_t kTableNumberSelector = 0x10;
constexpr std::uint8_t kUcs2Selector = 0x11;
constexpr std::uint8_t kUtf8Selector = 0x15;
// Followed by an encoding_type_id byte.
constexpr std::uint8_t kEncodingTypeSelector = 0x1F;

TableSelection Iso8859(int part, std::size_t length) {
    if (!IsIso8859Part(part)) return {{TableKind::Unknown, 0}, length};
    return {{TableKind::Iso8859, part}, length};
}

}  // namespace

std::optional<TableSelection> ParseTableSelector(std::span<const std::uint8_t> text) {
    if (text.empty() || text[0] >= kFirstTextByte) return TableSelection{};
    const std::uint8_t first = text[0];
    if (first >= kFirstIso8859Selector && first <= kLastIso8859Selector) return Iso8859(first + kIso8859PartOffset, 1);
    switch (first) {
    case kTableNumberSelector:
        if (text.size() < 3) return std::nullopt;
        // Only ISO/IEC 8859 parts are numbered this way: 0x00 0x01 to 0x00 0x0F.
        return text[1] == 0 ? Iso8859(text[2], 3) : TableSelection{{TableKind::Unknown, 0}, 3};
    case kUcs2Selector: return TableSelection{{TableKind::Ucs2, 0}, 1};
    case kUtf8Selector: return TableSelection{{TableKind::Utf8, 0}, 1};
    case kEncodingTypeSelector:
        if (text.size() < 2) return std::nullopt;
        return TableSelection{{TableKind::Unknown, 0}, 2};
    default: return TableSelection{{TableKind::Unknown, 0}, 1};
    }
}

}  // namespace kelvane
