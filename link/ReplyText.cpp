#include "link/ReplyText.h"

#include "text/Latin1.h"

namespace kelvane {

bool ReadReplyText(std::string& text, std::span<const std::uint8_t> bytes, std::size_t& position) {
    text.clear();
    while (position < bytes.size() && bytes[position] != 0x00) AppendLatin1AsUtf8(text, bytes[position++]);
    if (position >= bytes.size()) {
        position = bytes.size();
        return false;
    }
    ++position;
    return true;
}

}  // namespace kelvane
