#include "app/DiscoveryExchanges.h"

#include "app/ModuleTypes.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"
#include "platform/Clock.h"

#include <algorithm>
#include <bitset>

namespace kelvane {

constexpr std::uint8_t kInactiveState = 0xFF;
constexpr std::size_t kTripleSize = 3;
constexpr std::uint32_t kSearchPauseMs = 1000;

std::optional<std::uint8_t> ProbeIdentity(CXmit& link, std::uint8_t address, IdentityFailure& failure) {
    failure = IdentityFailure::NoAnswer;
    if (!link.XmitRequest({}, address, kIdentityCommand, kIdentityTimeout)) return std::nullopt;
    const auto reply = link.Reply();
    // A reply too short to hold the version cannot vouch for the module.
    failure = IdentityFailure::NotIdentified;
    if (reply.size() < 3 || reply[0] != kIdentityMark) return std::nullopt;
    failure = IdentityFailure::ReportsInactive;
    if (reply[1] == kInactiveState) return std::nullopt;
    failure = IdentityFailure::None;
    return reply[2];
}

std::optional<std::uint8_t> ProbeIdentity(CXmit& link, std::uint8_t address) {
    IdentityFailure ignored = IdentityFailure::None;
    return ProbeIdentity(link, address, ignored);
}

ModuleListFault CheckModuleList(std::span<const std::uint8_t> reply) {
    if (reply.size() % kTripleSize != 0) return ModuleListFault::PartialTriple;
    std::bitset<256> seen;
    for (std::size_t at = 0; at < reply.size(); at += kTripleSize) {
        const std::uint8_t address = reply[at];
        if (reply[at + 1] == kControllerType) return ModuleListFault::ControllerAfterRowZero;
        if (address == 0 || address == kPcAddress || address == kBroadcastAddress) {
            return ModuleListFault::AddressOutOfRange;
        }
        if (seen.test(address)) return ModuleListFault::AddressTwice;
        seen.set(address);
    }
    return ModuleListFault::None;
}

const char* ModuleListFaultText(ModuleListFault fault) {
    switch (fault) {
    case ModuleListFault::PartialTriple: return "its length is not whole modules";
    case ModuleListFault::ControllerAfterRowZero: return "it names a second rack controller";
    case ModuleListFault::AddressOutOfRange: return "it names a module at an address no module can have";
    case ModuleListFault::AddressTwice: return "it names two modules at one address";
    case ModuleListFault::None: break;
    }
    return "";
}

bool ReadModuleList(CXmit& link, SlotTable& table, ModuleListFault* fault) {
    const std::optional<std::uint8_t> controllerVersion = ProbeIdentity(link, 0);
    SlotRecord& controller = table[0];
    controller.Type = kControllerType;
    controller.Address = 0;
    if (controllerVersion) controller.Version = *controllerVersion;
    table.ModuleCount = 1;

    if (!link.XmitRequest({}, 0, kListCommand, kListTimeout)) return false;
    const auto reply = link.Reply();
    const ModuleListFault found = CheckModuleList(reply);
    if (fault != nullptr) *fault = found;
    if (found != ModuleListFault::None) return false;
    // Only as many modules as the table holds.
    for (std::size_t at = 0; at + kTripleSize <= reply.size() && table.ModuleCount < kSlotCount; at += kTripleSize) {
        SlotRecord& record = table[table.ModuleCount++];
        record.Address = reply[at];
        record.Type = reply[at + 1];
        record.Version = reply[at + 2];
    }
    return true;
}

std::optional<std::size_t> IdentifyModules(CXmit& link, SlotTable& table, IdentityFailure& failure) {
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        const std::optional<std::uint8_t> version = ProbeIdentity(link, table[row].Address, failure);
        if (!version) return row;
        table[row].Version = *version;
    }
    return std::nullopt;
}

bool ReadModuleConfig(CXmit& link, SlotRecord& record) {
    record.ConfigLength = 0;
    if (!link.XmitRequest({}, record.Address, kReadConfigCommand, kReadConfigTimeout)) return false;
    const auto image = link.Reply();
    if (image.size() > record.Config.size()) return false;
    std::copy(image.begin(), image.end(), record.Config.begin());
    record.ConfigLength = static_cast<std::uint16_t>(image.size());
    return true;
}

DiscoveryReport RunDiscoveryExchanges(CXmit& link, SlotTable& table,
                                      const std::function<void(std::size_t row)>& onRowRead) {
    DiscoveryReport report;
    report.moduleListRead = ReadModuleList(link, table, &report.moduleListFault);
    report.inactiveRow = IdentifyModules(link, table, report.inactiveBecause);
    if (report.inactiveRow) return report;
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        if (!ReadModuleConfig(link, table[row])) report.configUnread.set(row);
        if (onRowRead) onRowRead(row);
    }
    return report;
}

bool BroadcastRestart(CXmit& link) {
    const std::uint8_t payload[] = {kFirmwareRestartStep};
    return link.XmitRequest(payload, kBroadcastAddress, kFirmwareCommand, kFirmwareRestartTimeout);
}

bool SearchUntilFound(CXmit& link, Clock& clock, std::uint32_t limitMs, const std::function<bool()>& keepSearching,
                      std::optional<std::uint8_t> only) {
    const auto search = [&] { return only ? link.OpenPort(*only) : link.FindPort(); };
    const std::uint64_t start = clock.TickCount();
    bool found = search();
    while (!found && keepSearching() && clock.TickCount() - start < limitMs) {
        clock.Sleep(kSearchPauseMs);
        found = search();
    }
    return found;
}

}  // namespace kelvane
