#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Common-interface bytes as a CAM and its module send them, written out plainly for the tests.
namespace kelvane::test::mmi {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Length(std::size_t n) {
    if (n < 0x80) return {static_cast<std::uint8_t>(n)};
    if (n <= 0xFF) return {0x81, static_cast<std::uint8_t>(n)};
    return {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)};
}

// Latin-1 bytes of a text written with \x escapes for what is not ASCII.
inline Bytes Latin1(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes Tag(std::uint32_t tag) {
    return {static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
}

inline Bytes Object(std::uint32_t tag, const Bytes& body) { return Cat({Tag(tag), Length(body.size()), body}); }

inline Bytes Text(const std::string& latin1) { return Object(0x9F8803, Latin1(latin1)); }

// menu_last or list_last: choice count, then title, subtitle, bottom line and the items as text_last objects.
inline Bytes Menu(const std::string& title, const std::string& subtitle, const std::string& bottom,
                  const std::vector<std::string>& items, std::uint32_t tag = 0x9F8809) {
    Bytes body{static_cast<std::uint8_t>(items.size())};
    for (const std::string* t : {&title, &subtitle, &bottom}) body = Cat({body, Text(*t)});
    for (const std::string& item : items) body = Cat({body, Text(item)});
    return Object(tag, body);
}

inline Bytes List(const std::string& title, const std::string& subtitle, const std::string& bottom,
                  const std::vector<std::string>& items) {
    return Menu(title, subtitle, bottom, items, 0x9F880C);
}

inline Bytes Enquiry(bool blind, std::uint8_t answerLength, const std::string& prompt) {
    return Object(0x9F8807, Cat({{static_cast<std::uint8_t>(blind ? 1 : 0), answerLength}, Latin1(prompt)}));
}

inline Bytes CloseMmi() { return Object(0x9F8800, {0x00}); }

// A session packet: session_number for `session`, then the objects.
inline Bytes Session(std::uint16_t session, std::initializer_list<Bytes> objects) {
    Bytes out{0x90, 0x02, static_cast<std::uint8_t>(session >> 8), static_cast<std::uint8_t>(session)};
    for (const Bytes& o : objects) out = Cat({out, o});
    return out;
}
inline Bytes Mmi(std::initializer_list<Bytes> objects) { return Session(4, objects); }
inline Bytes CloseMmiSession() { return {0x95, 0x02, 0x00, 0x04}; }

// A T_DATA_LAST transport packet on connection 1, and the status packet that follows data.
inline Bytes Tpdu(const Bytes& body) { return Cat({{0xA0}, Length(body.size() + 1), {0x01}, body}); }
inline Bytes StatusTpdu() { return {0x80, 0x02, 0x01, 0x00}; }

// One chunk of a read-MMI-data reply: length word (with the skip flag), connection, more/last, fragment.
inline Bytes Chunk(const Bytes& fragment, bool more = false, bool skip = false) {
    const std::size_t c = fragment.size() + 2;
    return Cat({{static_cast<std::uint8_t>((skip ? 0x80 : 0x00) | (c >> 8)), static_cast<std::uint8_t>(c & 0xFF), 0x01,
                 static_cast<std::uint8_t>(more ? 0x80 : 0x00)},
                fragment});
}

// Whole transport bytes as one read's reply, in a single last chunk.
inline Bytes Reply(const Bytes& transport) { return Chunk(transport); }

}  // namespace kelvane::test::mmi

namespace kelvane::test {

// The packets the program sends to the CAM, as the tests expect them on the line.
inline const mmi::Bytes kEnterMenu{0x01, 0x00, 0xA0, 0x09, 0x01, 0x90, 0x02, 0x00, 0x02, 0x9F, 0x80, 0x22, 0x00};

inline mmi::Bytes MenuAnswer(std::uint8_t choice) {
    return {0x01, 0x00, 0xA0, 0x0A, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x0B, 0x01, choice};
}

inline const mmi::Bytes kCancel{0x01, 0x00, 0xA0, 0x0A, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x08, 0x01, 0x00};

}  // namespace kelvane::test
