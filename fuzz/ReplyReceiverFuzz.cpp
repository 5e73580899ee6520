// The reply receiver fed from the line byte by byte, and the texts read out of every reply it completes. Then the
// simulator's own reply writer frames the same bytes as a reply: the receiver must take that frame back whole.

#include "fuzz/FuzzChecks.h"
#include "link/ReplyReceiver.h"
#include "link/ReplyText.h"
#include "sim/Frame.h"
#include "text/Utf8.h"

namespace kelvane::fuzz {
namespace {

void ReadTexts(Bytes payload) {
    std::size_t position = 0;
    std::string text;
    while (position < payload.size()) {
        const std::size_t start = position;
        const bool ended = ReadReplyText(text, payload, position);
        Require(position > start && position <= payload.size(), "a text read moves forward within the reply");
        Require(IsUtf8(text), "a reply text comes out as UTF-8");
        const std::size_t characters = position - start - (ended ? 1 : 0);
        Require(Utf8Length(text) == characters, "one character per byte of a reply text");
    }
}

void FeedLine(Bytes line) {
    ReplyReceiver receiver;
    for (const std::uint8_t byte : line) {
        if (!receiver.Feed(byte)) continue;
        const Bytes payload = receiver.Payload();
        Require(payload.size() <= kReplyDataSize, "the payload never exceeds the reply buffer");
        if (receiver.Valid()) {
            Require(payload.size() == static_cast<std::size_t>(receiver.ReplyLength()), "a valid reply is whole");
            ReadTexts(payload);
        }
        receiver.Restart();
    }
}

// The simulator's framing of a reply, from a source byte and a payload, must come back unchanged.
void TakeSimulatorReply(Bytes input) {
    if (input.empty()) return;
    sim::Reply sent{input[0], true, {input.begin() + 1, input.end()}};
    if (sent.payload.size() > kReplyDataSize) sent.payload.resize(kReplyDataSize);
    ReplyReceiver receiver;
    bool done = false;
    for (const std::uint8_t byte : sim::EncodeReply(sent)) done = receiver.Feed(byte);
    Require(done && receiver.Valid(), "a well-framed reply is taken");
    Require(receiver.ReplySource() == sent.source, "the reply's source comes back");
    Require(SameBytes(receiver.Payload(), sent.payload), "the reply's payload comes back");
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane::fuzz;
    return CheckAll(data, size, {FeedLine, TakeSimulatorReply});
}
