#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelvane {

// Tags of the EN 50221 application objects that the CAM menu sends or meets (24 bits, big-endian on the wire).
enum MmiTag : std::uint32_t {
    kEnterMenuTag = 0x9F8022,
    kCloseMmiTag = 0x9F8800,
    kDisplayControlTag = 0x9F8801,
    kTextLastTag = 0x9F8803,
    kEnqTag = 0x9F8807,
    kAnswTag = 0x9F8808,
    kMenuLastTag = 0x9F8809,
    kMenuAnswTag = 0x9F880B,
    kListLastTag = 0x9F880C,
};

// A tag as it goes on the wire.
constexpr std::array<std::uint8_t, 3> TagBytes(std::uint32_t tag) {
    return {static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
}

// The sessions the CAM menu speaks on (application information for enter_menu, then the MMI), and the
// session-layer headers that name a session by its two-byte number: session_number before every object of the
// session, close_session_request to end it.
constexpr std::uint8_t kApplicationInfoSession = 2;
constexpr std::uint8_t kMmiSession = 4;
constexpr std::uint8_t kSessionNumberTag = 0x90;
constexpr std::uint8_t kCloseSessionRequestTag = 0x95;
constexpr std::array<std::uint8_t, 4> SessionHeader(std::uint8_t tag, std::uint8_t session) {
    return {tag, 0x02, 0x00, session};
}

// What the CAM said, one event per thing, in the order it said them. A menu or list arrives as its start
// followed by its texts (title, subtitle, bottom line, then the items), as the CAM sends them.
enum class MmiEventKind {
    SessionPacket,  // a packet of the MMI session: the session is open
    SessionClosed,  // the CAM asked to close the MMI session
    MenuClosed,  // close_mmi: the CAM took its menu, list or question off the screen
    MenuStart,
    ListStart,
    Text,
    Enquiry,
    Untreated,  // an object the program does not handle
};

struct MmiEvent {
    MmiEventKind kind = MmiEventKind::Text;
    std::string text;  // UTF-8: a text, or an enquiry's prompt
    bool blind = false;  // enquiry: the answer is typed unseen
    std::uint8_t answerLength = 0;  // enquiry: how many characters the CAM expects
    std::uint32_t tag = 0;  // untreated: the object's tag

    bool operator==(const MmiEvent&) const = default;
};

}  // namespace kelvane
