#include "sim/CiBytes.h"

namespace kelvane::sim::ci {
namespace {

Bytes SessionHeader(std::uint8_t tag, std::uint16_t session) {
    return {tag, kSessionNumberLength, static_cast<std::uint8_t>(session >> 8), static_cast<std::uint8_t>(session)};
}

}  // namespace

void PutLengthField(Bytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
    } else if (length <= 0xFF) {
        out.insert(out.end(), {0x81, static_cast<std::uint8_t>(length)});
    } else {
        out.insert(out.end(), {0x82, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)});
    }
}

std::optional<std::size_t> TakeLengthField(std::span<const std::uint8_t> bytes, std::size_t& at) {
    if (at >= bytes.size()) return std::nullopt;
    const std::uint8_t first = bytes[at];
    if (first < 0x80) {
        ++at;
        return first;
    }
    const std::size_t count = first & 0x7F;
    if (count == 0 || count > 2 || at + count >= bytes.size()) return std::nullopt;
    std::size_t length = 0;
    for (std::size_t k = 1; k <= count; ++k) length = length << 8 | bytes[at + k];
    at += count + 1;
    return length;
}

Bytes Latin1(std::string_view utf8) {
    Bytes out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            const unsigned code = (lead & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out.push_back(code <= 0xFF ? static_cast<std::uint8_t>(code) : '?');
            i += 2;
        } else {
            out.push_back('?');
            ++i;
            while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
        }
    }
    return out;
}

std::string FromLatin1(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | byte >> 6));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

Bytes Object(std::uint32_t tag, std::span<const std::uint8_t> body) {
    Bytes out{static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(tag >> 8),
              static_cast<std::uint8_t>(tag)};
    PutLengthField(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes TextLast(std::string_view utf8) { return Object(kTextLastTag, Latin1(utf8)); }

Bytes SessionData(std::uint16_t session, std::span<const Bytes> objects) {
    Bytes out = SessionHeader(kSessionNumberTag, session);
    for (const Bytes& object : objects) out.insert(out.end(), object.begin(), object.end());
    return out;
}

Bytes CloseSessionRequest(std::uint16_t session) { return SessionHeader(kCloseSessionRequestTag, session); }

Bytes Transport(std::uint8_t tag, std::span<const std::uint8_t> body) {
    Bytes out{tag};
    PutLengthField(out, body.size() + 1);
    out.push_back(kConnection);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Chunk(std::span<const std::uint8_t> fragment, bool more) {
    const std::size_t c = kFragmentHeader + fragment.size();
    Bytes chunk{static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c & 0xFF), kConnection,
                more ? kMoreFragments : kLastFragment};
    chunk.insert(chunk.end(), fragment.begin(), fragment.end());
    return chunk;
}

}  // namespace kelvane::sim::ci
