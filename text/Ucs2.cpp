#include "text/Ucs2.h"

#include "text/Utf8.h"

namespace kelvane {
namespace {

constexpr char32_t kFirstTwoByteControl = 0xE080;
constexpr char32_t kLastTwoByteControl = 0xE09F;
constexpr char32_t kFirstOneByteControl = 0x80;

}  // namespace

bool AppendUcs2AsUtf8(std::string& utf8, std::span<const std::uint8_t> bytes) {
    bool complete = bytes.size() % 2 == 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = static_cast<char32_t>(bytes[i]) << 8 | bytes[i + 1];
        if (IsSurrogate(c)) {
            c = kReplacementCharacter;
            complete = false;
        } else if (c >= kFirstTwoByteControl && c <= kLastTwoByteControl) {
            c = c - kFirstTwoByteControl + kFirstOneByteControl;
        }
        AppendUtf8(utf8, c);
    }
    return complete;
}

}  // namespace kelvane
