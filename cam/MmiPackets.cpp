#include "cam/MmiPackets.h"

#include "text/Utf8.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::array<std::uint8_t, 13> kEnterMenu{0x01, 0x00, 0xA0, 0x09, 0x01, 0x90, 0x02,
                                                  0x00, 0x02, 0x9F, 0x80, 0x22, 0x00};
constexpr std::array<std::uint8_t, 13> kMenuAnswerHead{0x01, 0x00, 0xA0, 0x0A, 0x01, 0x90, 0x02,
                                                       0x00, 0x04, 0x9F, 0x88, 0x0B, 0x01};
// Connection, more/last, T_DATA_LAST, then L; then connection, the session header and the answ tag; then M and
// the answ_id.
constexpr std::array<std::uint8_t, 3> kAnswerLink{0x01, 0x00, 0xA0};
constexpr std::array<std::uint8_t, 8> kAnswerSession{0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x08};
constexpr std::size_t kAnswerHeadBytes = kAnswerLink.size() + 1 + kAnswerSession.size() + 2;
// What L and M count beyond the text: the connection id, the session header, the tag and M itself for L; the
// answ_id for M.
constexpr std::size_t kTransportOverhead = 10;
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
    std::size_t at = Put(buffer, 0, kAnswerLink);
    buffer[at++] = static_cast<std::uint8_t>(n + kTransportOverhead);
    at = Put(buffer, at, kAnswerSession);
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
