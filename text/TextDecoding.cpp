#include "text/TextDecoding.h"

#include "text/Iso8859.h"
#include "text/Latin1.h"
#include "text/TableSelector.h"
#include "text/Ucs2.h"
#include "text/Utf8.h"

namespace kelvane {
namespace {

bool AppendIso8859(std::string& utf8, int part, std::span<const std::uint8_t> bytes) {
    bool complete = true;
    for (const std::uint8_t byte : bytes) {
        const auto c = Iso8859Character(part, byte);
        complete = complete && c.has_value();
        AppendUtf8(utf8, c.value_or(kReplacementCharacter));
    }
    return complete;
}

bool AppendStrictUtf8(std::string& utf8, std::span<const std::uint8_t> bytes) {
    bool complete = true;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = NextUtf8Character(bytes, i);
        complete = complete && c.has_value();
        AppendUtf8(utf8, c.value_or(kReplacementCharacter));
    }
    return complete;
}

// A table the program does not have: its printable ASCII is the best guess there is.
void AppendPrintableAscii(std::string& utf8, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) utf8.push_back(static_cast<char>(byte));
    }
}

}  // namespace

DecodedText DecodeText(std::span<const std::uint8_t> bytes) {
    DecodedText decoded;
    const auto selection = ParseTableSelector(bytes);
    if (!selection) {
        decoded.complete = false;
        return decoded;
    }
    const std::span<const std::uint8_t> characters = bytes.subspan(selection->selectorLength);
    switch (selection->table.kind) {
    case TableKind::Latin1: decoded.utf8 = Latin1ToUtf8(characters); break;
    case TableKind::Iso8859: decoded.complete = AppendIso8859(decoded.utf8, selection->table.part, characters); break;
    case TableKind::Ucs2: decoded.complete = AppendUcs2AsUtf8(decoded.utf8, characters); break;
    case TableKind::Utf8: decoded.complete = AppendStrictUtf8(decoded.utf8, characters); break;
    case TableKind::Unknown:
        AppendPrintableAscii(decoded.utf8, characters);
        decoded.complete = false;
        break;
    }
    return decoded;
}

}  // namespace kelvane
