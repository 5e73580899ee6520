#include "cam/MmiPackets.h"

#include "cam/MmiEvents.h"
#include "text/Utf8.h"

#include <algorithm>

namespace kelvane {
namespace {

template <std::size_t... N>
constexpr auto Join(const std::array<std::uint8_t, N>&... parts) {
    std::array<std::uint8_t, (N + ...)> joined{};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + static_cast<std::ptrdiff_t>(at)), at += N), ...);
    return joined;
}

constexpr std::array<std::uint8_t, 1> One(std::uint8_t byte) { return {byte}; }

// Every packet: connection 1, the more/last byte saying last, T_DATA_LAST, then its length L; then the
// connection again, the session header and the object's tag; then the object's length M and its body.
constexpr std::array<std::uint8_t, 3> kPacketLink{0x01, 0x00, 0xA0};
constexpr std::uint8_t kConnectionId = 0x01;
constexpr auto ObjectHead(std::uint8_t session, std::uint32_t tag) {
    return Join(One(kConnectionId), SessionHeader(kSessionNumberTag, session), TagBytes(tag));
}
constexpr auto kEnterMenuHead = ObjectHead(kApplicationInfoSession, kEnterMenuTag);
constexpr auto kMenuAnswHead = ObjectHead(kMmiSession, kMenuAnswTag);
constexpr auto kAnswHead = ObjectHead(kMmiSession, kAnswTag);

// enter_menu has no body; menu_answ's is the choice; answ's the answ_id and the text.
constexpr auto kEnterMenu =
    Join(kPacketLink, One(static_cast<std::uint8_t>(kEnterMenuHead.size() + 1)), kEnterMenuHead, One(0));
constexpr auto kMenuAnswerHead =
    Join(kPacketLink, One(static_cast<std::uint8_t>(kMenuAnswHead.size() + 2)), kMenuAnswHead, One(1));
constexpr std::size_t kAnswerHeadBytes = kPacketLink.size() + 1 + kAnswHead.size() + 2;
// What L and M count beyond the text: the object's head, M itself and the answ_id for L; the answ_id for M.
constexpr std::size_t kTransportOverhead = kAnswHead.size() + 2;
constexpr std::size_t kObjectOverhead = 1;
constexpr std::uint8_t kAnswerId = 0x01;
constexpr std::uint8_t kCancelId = 0x00;

static_assert(kAnswerHeadBytes + kMaxAnswerLength <= kRequestBufferSize);
static_assert(kMaxAnswerLength + kTransportOverhead < 0x80, "L must stay a short-form length field");

template <std::size_t N>
std::size_t Put(RequestBufferSpan buffer, std::size_t at, const std::array<std::uint8_t, N>& bytes) {
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
    return at + N;
}

}  // namespace

std::uint16_t BuildEnterMenu(RequestBufferSpan buffer) {
    return static_cast<std::uint16_t>(Put(buffer, 0, kEnterMenu));
}

std::uint16_t BuildMenuAnswer(RequestBufferSpan buffer, std::uint8_t choice) {
    const std::size_t at = Put(buffer, 0, kMenuAnswerHead);
    buffer[at] = choice;
    return static_cast<std::uint16_t>(at + 1);
}

std::uint16_t BuildAnswer(RequestBufferSpan buffer, const std::string& text) {
    const std::vector<std::uint8_t> bytes = AnswerBytes(text);
    const std::size_t n = bytes.size();
    std::size_t at = Put(buffer, 0, kPacketLink);
    buffer[at++] = static_cast<std::uint8_t>(n + kTransportOverhead);
    at = Put(buffer, at, kAnswHead);
    buffer[at++] = static_cast<std::uint8_t>(n + kObjectOverhead);
    buffer[at++] = n > 0 ? kAnswerId : kCancelId;
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
    return static_cast<std::uint16_t>(at + n);
}

std::vector<std::uint8_t> AnswerBytes(const std::string& text) {
    // Each character goes as its low byte, and no more of them than an answer packet carries.
    std::vector<std::uint8_t> bytes;
    for (const char32_t c : Utf8Characters(text)) {
        if (bytes.size() == kMaxAnswerLength) break;
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    return bytes;
}

}  // namespace kelvane
