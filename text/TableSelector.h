#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kelvane {

// The character table a broadcast or CAM text is written in, as the byte (or bytes) that may open the text
// select it: 0x01 to 0x0B for ISO/IEC 8859-5 to -15, 0x10 followed by a two-byte table number for ISO/IEC
// 8859-1 to -15, 0x11 for two-byte UCS-2, 0x15 for UTF-8. A text that opens with a byte from 0x20 up names no
// table and is Latin-1.
enum class TableKind { Latin1, Iso8859, Ucs2, Utf8, Unknown };

struct CharacterTable {
    TableKind kind = TableKind::Latin1;
    int part = 0;  // ISO/IEC 8859 only: the part
    bool operator==(const CharacterTable&) const = default;
};

struct TableSelection {
    CharacterTable table;
    std::size_t selectorLength = 0;  // bytes of the selector, before the text's characters
    bool operator==(const TableSelection&) const = default;
};

// The first step of reading such a text: which table, and where its characters start. A selector the program
// has no table for (reserved values, the Korean and Chinese tables, a part 12) is TableKind::Unknown with its
// length. Nothing when the selector is cut short (0x10 without its two bytes, 0x1F without its one).
std::optional<TableSelection> ParseTableSelector(std::span<const std::uint8_t> text);

}  // namespace kelvane
