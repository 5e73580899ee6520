#include "cam/MmiParser.h"

#include "cam/MmiFields.h"

#include <algorithm>
#include <array>

namespace kelvane {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::array<std::uint8_t, 4> kMmiSessionHeader = SessionHeader(kSessionNumberTag, kMmiSession);
constexpr std::array<std::uint8_t, 4> kMmiCloseRequest = SessionHeader(kCloseSessionRequestTag, kMmiSession);

constexpr std::size_t kTagBytes = 3;
// A tag and a one-byte length: less than this left in a body cannot start an object.
constexpr std::size_t kSmallestObject = 4;
// An enquiry's blind flag and expected answer length come before its prompt.
constexpr std::size_t kEnquiryHead = 2;
constexpr std::uint8_t kBlindAnswer = 0x01;
// Only a menu's or list's choice count belongs to the object itself; its texts follow as objects of their own.
constexpr std::size_t kChoiceCountBytes = 1;

bool StartsWith(Bytes body, const std::array<std::uint8_t, 4>& header) {
    return body.size() >= header.size() && std::equal(header.begin(), header.end(), body.begin());
}

std::uint32_t TagAt(Bytes body, std::size_t p) {
    return static_cast<std::uint32_t>(body[p]) << 16 | static_cast<std::uint32_t>(body[p + 1]) << 8 | body[p + 2];
}

MmiEvent Event(MmiEventKind kind) {
    MmiEvent e;
    e.kind = kind;
    return e;
}

MmiEvent TextEvent(Bytes object) {
    MmiEvent e = Event(MmiEventKind::Text);
    e.text = BytesToText(object);
    return e;
}

MmiEvent Untreated(std::uint32_t tag) {
    MmiEvent e = Event(MmiEventKind::Untreated);
    e.tag = tag;
    return e;
}

MmiEvent Enquiry(Bytes object) {
    MmiEvent e;
    e.kind = MmiEventKind::Enquiry;
    e.blind = (object[0] & kBlindAnswer) != 0;
    e.answerLength = object[1];
    e.text = BytesToText(object.subspan(kEnquiryHead));
    return e;
}

// Acts on one application object; how far to step past its body.
std::size_t DecodeObject(std::uint32_t tag, Bytes object, std::vector<MmiEvent>& events) {
    switch (tag) {
    case kDisplayControlTag: return object.size();
    case kCloseMmiTag: events.push_back(Event(MmiEventKind::MenuClosed)); return object.size();
    case kTextLastTag: events.push_back(TextEvent(object)); return object.size();
    case kEnqTag:
        // Without its two leading bytes an enquiry cannot be asked: it is passed over.
        if (object.size() >= kEnquiryHead) events.push_back(Enquiry(object));
        return object.size();
    case kMenuLastTag:
    case kListLastTag:
        // A menu too short to hold its choice count is passed over.
        if (object.size() < kChoiceCountBytes) return 0;
        events.push_back(Event(tag == kMenuLastTag ? MmiEventKind::MenuStart : MmiEventKind::ListStart));
        return kChoiceCountBytes;
    default: events.push_back(Untreated(tag)); return object.size();
    }
}

void ParseApplicationObjects(Bytes body, std::vector<MmiEvent>& events) {
    std::size_t p = 0;
    while (body.size() - p >= kSmallestObject) {
        const std::uint32_t tag = TagAt(body, p);
        p += kTagBytes;
        const auto length = ReadLengthField(body, p);
        if (!length || *length > body.size() - p) return;
        p += DecodeObject(tag, body.subspan(p, *length), events);
    }
}

void DecodeBody(Bytes body, std::vector<MmiEvent>& events) {
    if (StartsWith(body, kMmiCloseRequest)) {
        events.push_back(Event(MmiEventKind::SessionClosed));
    } else if (StartsWith(body, kMmiSessionHeader)) {
        events.push_back(Event(MmiEventKind::SessionPacket));
        ParseApplicationObjects(body.subspan(kMmiSessionHeader.size()), events);
    }
}

}  // namespace

void ParseMmiObjects(std::span<const std::uint8_t> packets, std::vector<MmiEvent>& events) {
    std::size_t p = 0;
    while (p < packets.size()) {
        ++p;  // the packet's tag is not examined
        const auto length = ReadLengthField(packets, p);
        // The length counts the connection id and the body: zero, or more than was gathered, frames nothing.
        if (!length || *length == 0 || *length > packets.size() - p) return;
        const Bytes body = packets.subspan(p + 1, *length - 1);
        p += *length;
        DecodeBody(body, events);
    }
}

}  // namespace kelvane
