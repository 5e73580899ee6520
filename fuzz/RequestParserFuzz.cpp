// kxrsim's request parser fed the bytes a PC may write, byte by byte. Then the program's own frame encoder frames
// a request from the same bytes: the simulator must read it back exactly, whatever its address and payload.

#include "fuzz/FuzzChecks.h"
#include "link/FrameEncoder.h"
#include "sim/RequestParser.h"

#include <memory>

namespace kelvane::fuzz {
namespace {

void FeedLine(Bytes line) {
    sim::RequestParser parser;
    for (const std::uint8_t byte : line) {
        const auto frame = parser.Feed(byte);
        if (!frame) continue;
        Require(frame->request.payload.size() <= sim::kMaxPayload, "no payload longer than a length can say");
        if (frame->status == sim::FrameStatus::Valid) {
            Require(frame->request.source == sim::kPcAddress, "a valid request comes from the PC");
        }
    }
}

// Destination, command nibble, then the payload.
void ReadEncodedRequest(Bytes input) {
    if (input.size() < 2) return;
    const std::uint8_t destination = input[0];
    const std::uint8_t command = input[1] & 0xF0;
    const Bytes payload = input.subspan(2);
    const auto encoder = std::make_unique<FrameEncoder>();
    if (!encoder->Encode(destination, command, payload)) return;  // too long for the transmit buffer
    sim::RequestParser parser;
    std::optional<sim::ParsedFrame> frame;
    for (const std::uint8_t byte : encoder->Bytes()) {
        Require(!frame, "one request frame is read as one");
        frame = parser.Feed(byte);
    }
    Require(frame && frame->status == sim::FrameStatus::Valid, "the simulator takes the program's frame");
    Require(frame->request.destination == destination, "the destination comes through");
    Require(frame->request.Command() == command, "the command comes through");
    Require(SameBytes(payload, frame->request.payload), "the payload comes through");
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane::fuzz;
    return CheckAll(data, size, {FeedLine, ReadEncodedRequest});
}
