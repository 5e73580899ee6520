#include "cam/MmiPackets.h"

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

// Length of the UTF-8 sequence that `lead` starts, or 0 when it starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

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
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size() && bytes.size() < kMaxAnswerLength) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = SequenceLength(lead);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || !IsContinuation(static_cast<unsigned char>(text[i + k]))) length = 0;
        }
        if (length == 0) {
            bytes.push_back('?');
            ++i;
            continue;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
        i += length;
    }
    return bytes;
}

}  // namespace kelvane
