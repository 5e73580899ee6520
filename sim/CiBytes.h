#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The common-interface (EN 50221) byte forms the simulated CAM and its module speak: length fields,
// application objects, session and transport packets. Written apart from the program's own decoder, so that
// the two check each other.
namespace kelvane::sim::ci {

using Bytes = std::vector<std::uint8_t>;

// Sessions the CI module opens with its CAM: the application information and the man-machine interface.
constexpr std::uint16_t kApplicationSession = 2;
constexpr std::uint16_t kMmiSession = 4;
constexpr std::uint8_t kConnection = 1;

// Transport packet tags, and the status body that says the CAM has nothing more to send.
constexpr std::uint8_t kStatusTag = 0x80;  // T_SB
constexpr std::uint8_t kDataLastTag = 0xA0;  // T_DATA_LAST
constexpr std::uint8_t kNoMoreData = 0x00;

// Session packets open with their tag, the length of the session number (2) and the number.
constexpr std::uint8_t kSessionNumberTag = 0x90;
constexpr std::uint8_t kCloseSessionRequestTag = 0x95;
constexpr std::uint8_t kSessionNumberLength = 2;
constexpr std::size_t kSessionHeaderBytes = 4;

// Link-layer fragments of transport packets open with the connection id and the more/last byte.
constexpr std::size_t kFragmentHeader = 2;
constexpr std::uint8_t kMoreFragments = 0x80;
constexpr std::uint8_t kLastFragment = 0x00;

// Application object tags.
constexpr std::uint32_t kApplicationInfoTag = 0x9F8021;
constexpr std::uint32_t kEnterMenuTag = 0x9F8022;
constexpr std::uint32_t kCloseMmiTag = 0x9F8800;
constexpr std::uint32_t kDisplayControlTag = 0x9F8801;
constexpr std::uint32_t kTextLastTag = 0x9F8803;
constexpr std::uint32_t kEnqTag = 0x9F8807;
constexpr std::uint32_t kAnswTag = 0x9F8808;
constexpr std::uint32_t kMenuLastTag = 0x9F8809;
constexpr std::uint32_t kMenuAnswTag = 0x9F880B;
constexpr std::uint32_t kListLastTag = 0x9F880C;

// The shortest length_field that holds `length`: one byte below 0x80, else 0x81 or 0x82 and the bytes.
void PutLengthField(Bytes& out, std::size_t length);

// Reads a length_field at `at` and moves past it; nothing when it is broken or runs past `bytes`.
std::optional<std::size_t> TakeLengthField(std::span<const std::uint8_t> bytes, std::size_t& at);

// A UTF-8 text as the CAM sends it: one Latin-1 byte per character ('?' for what Latin-1 lacks).
Bytes Latin1(std::string_view utf8);

// Latin-1 bytes as UTF-8 text.
std::string FromLatin1(std::span<const std::uint8_t> bytes);

// An application object: 3-byte tag, length field, body.
Bytes Object(std::uint32_t tag, std::span<const std::uint8_t> body);
Bytes TextLast(std::string_view utf8);

// A session packet carrying application objects: session_number (90 02 ss ss) followed by them.
Bytes SessionData(std::uint16_t session, std::span<const Bytes> objects);
Bytes CloseSessionRequest(std::uint16_t session);

// A transport packet: tag, length field (the connection id and the body), connection id, body.
Bytes Transport(std::uint8_t tag, std::span<const std::uint8_t> body);

// A fragment as the CI module hands it to the PC: the two-byte length of what follows, the fragment header and
// the fragment.
Bytes Chunk(std::span<const std::uint8_t> fragment, bool more);

}  // namespace kelvane::sim::ci
