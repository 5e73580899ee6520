// The CAM's bytes as the program meets them. Most inputs are a run of read-MMI-data replies, each given as a
// length and its bytes (fuzz/FuzzChecks.h), walked one after the other by one receiver, so that packets are
// gathered from fragments over several replies, and what they say is laid out as kelvane-cli shows it. An input
// whose first byte is 0xFF instead goes to the MMI parser directly, as transport packets already gathered.

#include "cam/MmiParser.h"
#include "cam/MmiReceiver.h"
#include "fuzz/FuzzChecks.h"
#include "tools/cli/CamScreenText.h"

#include <memory>

namespace kelvane::fuzz {
namespace {

constexpr std::uint8_t kWholePackets = 0xFF;

void CheckEvents(const std::vector<MmiEvent>& events) {
    for (const MmiEvent& event : events) Require(IsUtf8(event.text), "what the CAM says comes out as UTF-8");
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    using namespace kelvane::fuzz;
    const Bytes input(data, size);
    std::vector<MmiEvent> events;
    if (!input.empty() && input[0] == kWholePackets) {
        ParseMmiObjects(input.subspan(1), events);
        CheckEvents(events);
        return 0;
    }
    MmiReceiver receiver;
    CamScreenText screen;
    Parts replies(input);
    while (const auto reply = replies.Next()) {
        events.clear();
        receiver.WalkChunks(*reply, events);
        Require(receiver.RxLength() <= MmiReceiver::kRxBufferSize, "never more gathered than the buffer holds");
        CheckEvents(events);
        screen.Take(events);
        Require(IsUtf8(screen.Flush()), "the CAM's screen is UTF-8");
    }
    return 0;
}
