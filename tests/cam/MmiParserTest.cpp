// Decoding what the CAM sends: length fields, texts, every application object the program meets, and
// packets whose lengths cannot be trusted.

#include "cam/MmiFields.h"
#include "cam/MmiParser.h"
#include "tests/cam/MmiBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace test::mmi;

MmiEvent Ev(MmiEventKind kind, std::string text = "") {
    MmiEvent e;
    e.kind = kind;
    e.text = std::move(text);
    return e;
}
MmiEvent Untreated(std::uint32_t tag) {
    MmiEvent e = Ev(MmiEventKind::Untreated);
    e.tag = tag;
    return e;
}
MmiEvent Question(bool blind, std::uint8_t length, std::string prompt) {
    MmiEvent e = Ev(MmiEventKind::Enquiry, std::move(prompt));
    e.blind = blind;
    e.answerLength = length;
    return e;
}
const MmiEvent kOpen = Ev(MmiEventKind::SessionPacket);

std::vector<MmiEvent> Parse(const Bytes& packets) {
    std::vector<MmiEvent> events;
    ParseMmiObjects(packets, events);
    return events;
}

std::optional<std::size_t> LengthAt(const Bytes& bytes, std::size_t& position) {
    return ReadLengthField(bytes, position);
}

TEST(ReadLengthField, ShortFormIsTheLengthItself) {
    std::size_t p = 1;
    EXPECT_EQ(LengthAt({0xAA, 0x7F, 0x00}, p), 0x7Fu);
    EXPECT_EQ(p, 2u);
    p = 0;
    EXPECT_EQ(LengthAt({0x00}, p), 0u);
    EXPECT_EQ(p, 1u);
}

TEST(ReadLengthField, LongFormsGiveTheLengthBytesMostSignificantFirst) {
    std::size_t p = 0;
    EXPECT_EQ(LengthAt({0x81, 0x80}, p), 128u);
    EXPECT_EQ(p, 2u);
    p = 0;
    EXPECT_EQ(LengthAt({0x82, 0x01, 0x02, 0xFF}, p), 258u);
    EXPECT_EQ(p, 3u);
    p = 0;
    EXPECT_EQ(LengthAt({0x84, 0x00, 0x00, 0x10, 0x00}, p), 4096u);
    EXPECT_EQ(p, 5u);
}

TEST(ReadLengthField, BrokenFieldsReadNothingAndStay) {
    for (const Bytes& field : {Bytes{}, Bytes{0x80, 0x01}, Bytes{0x82, 0x01}, Bytes{0x81},
                               Bytes{0x85, 0x00, 0x00, 0x00, 0x00, 0x01}, Bytes{0xFF, 0x01, 0x02}}) {
        std::size_t p = 0;
        EXPECT_FALSE(LengthAt(field, p).has_value()) << field.size();
        EXPECT_EQ(p, 0u);
    }
    std::size_t past = 3;
    EXPECT_FALSE(LengthAt({0x01, 0x02}, past).has_value());
}

TEST(BytesToText, TextsAreReadInTheTableTheirFirstByteSelects) {
    // Latin-1 when the text names no table.
    EXPECT_EQ(BytesToText(Bytes{'C', 'a', 'r', 't', 'e', ' ', 0xE0, ' ', 0xFF, 0xB0}),
              "Carte \xC3\xA0 \xC3\xBF\xC2\xB0");
    EXPECT_EQ(BytesToText(Bytes{}), "");
    // 0x05: ISO/IEC 8859-9, where 0xFD is the dotless i.
    EXPECT_EQ(BytesToText(Bytes{0x05, 'K', 0xFD, 'z'}), "K\xC4\xB1z");
    EXPECT_EQ(BytesToText(Bytes{0x11, 0x04, 0x1C, 0x00, 'a'}),
              "\xD0\x9C"
              "a");
    EXPECT_EQ(BytesToText(Bytes{0x15, 0xE2, 0x82, 0xAC}), "\xE2\x82\xAC");
    // Control codes are kept here; what shows the text decides.
    EXPECT_EQ(BytesToText(Bytes{'a', 0x8A, 'b'}),
              "a\xC2\x8A"
              "b");
}

TEST(ParseMmiObjects, TextsAndPromptsInAnotherTable) {
    EXPECT_EQ(Parse(Tpdu(Mmi({Object(0x9F8803, {0x01, 0xBC, 0xD8, 0xE0}),
                              Object(0x9F8807, {0x00, 0x04, 0x10, 0x00, 0x07, 0xD0, 0xC9, 0xCD})}))),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "\xD0\x9C\xD0\xB8\xD1\x80"),
                                     Question(false, 4, "\xCE\xA0\xCE\x99\xCE\x9D")}));
}

TEST(ParseMmiObjects, TextLastAndItsLongLengthForms) {
    const std::string longText(200, 'a');
    const std::vector<MmiEvent> events = Parse(Tpdu(Mmi({Text("Sous-titre \xE9t\xE9"), Text(longText)})));
    EXPECT_EQ(events, (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "Sous-titre \xC3\xA9t\xC3\xA9"),
                                             Ev(MmiEventKind::Text, longText)}));
}

TEST(ParseMmiObjects, TransportPacketOfTheLongForm) {
    std::vector<std::string> items;
    for (int k = 0; k < 30; ++k) items.push_back("Bouquet num\xE9ro " + std::to_string(k));
    const Bytes packet = Tpdu(Mmi({Menu("Titre", "Sous-titre", "Bas", items)}));
    ASSERT_EQ(packet[1], 0x82);  // over 255 bytes
    const std::vector<MmiEvent> events = Parse(packet);
    ASSERT_EQ(events.size(), 2u + 3u + 30u);
    EXPECT_EQ(events[1], Ev(MmiEventKind::MenuStart));
    EXPECT_EQ(events.back(), Ev(MmiEventKind::Text, "Bouquet num\xC3\xA9ro 29"));
}

TEST(ParseMmiObjects, MenuAndListStartBeforeTheirTexts) {
    EXPECT_EQ(Parse(Tpdu(Mmi({Menu("T", "S", "B", {"un", "deux"})}))),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::MenuStart), Ev(MmiEventKind::Text, "T"),
                                     Ev(MmiEventKind::Text, "S"), Ev(MmiEventKind::Text, "B"),
                                     Ev(MmiEventKind::Text, "un"), Ev(MmiEventKind::Text, "deux")}));
    EXPECT_EQ(Parse(Tpdu(Mmi({List("T", "S", "B", {})}))),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::ListStart), Ev(MmiEventKind::Text, "T"),
                                     Ev(MmiEventKind::Text, "S"), Ev(MmiEventKind::Text, "B")}));
}

TEST(ParseMmiObjects, EnquiryWithItsBlindFlagAndExpectedLength) {
    EXPECT_EQ(Parse(Tpdu(Mmi({Enquiry(true, 4, "Code PIN :")}))),
              (std::vector<MmiEvent>{kOpen, Question(true, 4, "Code PIN :")}));
    EXPECT_EQ(Parse(Tpdu(Mmi({Object(0x9F8807, {0xFE, 0x05, 'Z', 'i', 'p'})}))),
              (std::vector<MmiEvent>{kOpen, Question(false, 5, "Zip")}));
}

TEST(ParseMmiObjects, DisplayControlIsPassedOverSilently) {
    EXPECT_EQ(Parse(Tpdu(Mmi({Object(0x9F8801, {0x01, 0x01}), Text("apr\xE8s")}))),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "apr\xC3\xA8s")}));
}

TEST(ParseMmiObjects, UntreatedTagsAreReportedAndTheRestIsStillDecoded) {
    EXPECT_EQ(Parse(Tpdu(Mmi({Object(0x9F8802, {0x00}), Object(0x9F8804, Latin1("more")), Object(0x9F880A, {0x00}),
                              Object(0x9F880D, {0x00}), Text("fin")}))),
              (std::vector<MmiEvent>{kOpen, Untreated(0x9F8802), Untreated(0x9F8804), Untreated(0x9F880A),
                                     Untreated(0x9F880D), Ev(MmiEventKind::Text, "fin")}));
}

TEST(ParseMmiObjects, OnlyTheMmiSessionIsHeard) {
    const Bytes applicationInfo = Tpdu(Session(2, {Object(0x9F8021, {0x01, 0x4A, 0xE1, 0x03, 0x0C, 0x00})}));
    const Bytes openRequest = Tpdu({0x91, 0x04, 0x00, 0x40, 0x00, 0x41});
    EXPECT_EQ(Parse(Cat({applicationInfo, StatusTpdu(), openRequest, Tpdu(Mmi({Text("ok")})), StatusTpdu()})),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "ok")}));
}

TEST(ParseMmiObjects, CloseSessionRequestOfTheMmiSession) {
    EXPECT_EQ(Parse(Cat({Tpdu(Mmi({CloseMmi()})), Tpdu(CloseMmiSession())})),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::MenuClosed), Ev(MmiEventKind::SessionClosed)}));
    // Closing another session leaves the MMI alone.
    EXPECT_TRUE(Parse(Tpdu({0x95, 0x02, 0x00, 0x02})).empty());
}

TEST(ParseMmiObjects, LeftoverBytesTooShortForAnObjectAreSkipped) {
    EXPECT_EQ(Parse(Cat({Tpdu(Cat({Mmi({Text("a")}), {0x9F, 0x88, 0x03}})), Tpdu(Mmi({Text("b")}))})),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "a"), kOpen, Ev(MmiEventKind::Text, "b")}));
}

// The malformed inputs: every length from the CAM is checked against what was gathered.

TEST(ParseMmiObjects, PacketLongerThanWhatWasGatheredEndsTheDecoding) {
    Bytes cut = Tpdu(Mmi({Text("perdu")}));
    cut.pop_back();
    EXPECT_EQ(Parse(Cat({Tpdu(Mmi({Text("avant")})), cut})),
              (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "avant")}));
    EXPECT_TRUE(Parse({0xA0, 0x82, 0xFF, 0xFF, 0x01, 0x90, 0x02, 0x00, 0x04}).empty());
}

TEST(ParseMmiObjects, BrokenPacketHeadersEndTheDecoding) {
    EXPECT_TRUE(Parse({0xA0}).empty());  // tag alone
    EXPECT_TRUE(Parse({0xA0, 0x00, 0xA0, 0x01, 0x01}).empty());  // a length without its connection id
    EXPECT_TRUE(Parse({0xA0, 0x89, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x01}).empty());  // nine length bytes
    EXPECT_TRUE(Parse({0xA0, 0x82, 0x00}).empty());  // long form cut short
}

TEST(ParseMmiObjects, ObjectRunningPastItsPacketEndsOnlyThatPacket) {
    const Bytes overrun = Tpdu(Cat({Mmi({Text("vu")}), {0x9F, 0x88, 0x03, 0x40, 'x', 'y'}}));
    const Bytes longFormOverrun = Tpdu(Cat({Mmi({}), {0x9F, 0x88, 0x03, 0x83, 0x01}}));
    EXPECT_EQ(
        Parse(Cat({overrun, longFormOverrun, Tpdu(Mmi({Text("suivant")}))})),
        (std::vector<MmiEvent>{kOpen, Ev(MmiEventKind::Text, "vu"), kOpen, kOpen, Ev(MmiEventKind::Text, "suivant")}));
}

TEST(ParseMmiObjects, MenuWhoseTextsRunPastThePacketIsNotShown) {
    Bytes menu = Menu("T", "S", "B", {"un"});
    menu[3] = 0x7F;  // announces more than the packet holds
    EXPECT_EQ(Parse(Tpdu(Mmi({menu}))), (std::vector<MmiEvent>{kOpen}));
}

TEST(ParseMmiObjects, ObjectsTooShortForWhatTheyMustHoldArePassedOver) {
    // An enquiry without its blind flag and answer length, a menu without its choice count.
    EXPECT_EQ(Parse(Tpdu(Mmi(
                  {Object(0x9F8807, {0x01}), Object(0x9F8807, {}), Object(0x9F8809, {}), Enquiry(false, 2, "ok")}))),
              (std::vector<MmiEvent>{kOpen, Question(false, 2, "ok")}));
}

}  // namespace
}  // namespace kelvane
