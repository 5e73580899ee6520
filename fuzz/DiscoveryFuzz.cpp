// Discovery against a rack whose replies come from the input: the controller's probe is answered as a rack
// answers, then every request of discovery gets the next part of the input (fuzz/FuzzChecks.h) as its
// accepted reply, until the parts run out and the rest time out. Every other reply comes right behind the echo,
// so that the read that ends the echo also takes the reply's start. Time is virtual, so time-outs cost nothing.

#include "app/DiscoveryExchanges.h"
#include "fuzz/FuzzChecks.h"
#include "link/Xmit.h"
#include "tests/support/ScriptedPort.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    using namespace kelvane::fuzz;
    constexpr std::uint8_t kAccepted = 0xF0;
    VirtualClock clock;
    test::ScriptedPortOpener ports(clock);
    std::deque<test::ScriptedPort::Reaction> replies{{test::ReplyFrame(kAccepted, {'w', 0, 14})}};
    Parts parts({data, size});
    while (const auto part = parts.Next()) {
        const std::uint64_t delayMs = replies.size() % 2 == 0 ? 0 : 2;
        replies.push_back({test::ReplyFrame(kAccepted, {part->begin(), part->end()}), delayMs});
    }
    ports.Install(0, std::move(replies));

    CXmit link(ports, clock);
    Require(link.FindPort(), "the rack that answered its probe is found");
    const auto table = std::make_unique<SlotTable>();
    const DiscoveryReport report = RunDiscoveryExchanges(link, *table);
    Require(table->ModuleCount >= 1 && table->ModuleCount <= kSlotCount, "the slot table holds what it can");
    for (const SlotRecord& record : table->Valid()) {
        Require(record.ConfigLength <= kConfigCapacity, "no image longer than its record");
    }
    Require(!report.inactiveRow || *report.inactiveRow < table->ModuleCount, "an inactive row is a listed one");
    return 0;
}
