#pragma once

#include "app/SlotTable.h"

#include <bitset>
#include <functional>
#include <optional>
#include <span>

namespace kelvane {

class CXmit;
class Clock;

// Why a module's identity probe did not vouch for it.
enum class IdentityFailure {
    None,
    NoAnswer,  // no valid reply after every try
    NotIdentified,  // a reply without the identity mark, or too short to hold a version
    ReportsInactive,  // a reply in which the module says it is inactive
};

// Why a module list cannot be the rack's: such a list is a reply to something else, or garbled.
enum class ModuleListFault {
    None,
    PartialTriple,  // a length that is not whole triples
    ControllerAfterRowZero,  // a module of the controller's type: there is one controller, in row 0
    AddressOutOfRange,  // 0 (the controller), 0xFD (the PC) or 0xFF (broadcast)
    AddressTwice,  // two modules at one address
};

// What the talking side of discovery found, for the window or a script to report.
struct DiscoveryReport {
    bool moduleListRead = false;
    // Set when the list came but could not be the rack's; it was not taken.
    ModuleListFault moduleListFault = ModuleListFault::None;
    // The first module that did not identify itself as active; discovery stops there.
    std::optional<std::size_t> inactiveRow;
    IdentityFailure inactiveBecause = IdentityFailure::None;
    // Rows whose configuration read failed or was too long to keep (their ConfigLength is 0).
    std::bitset<kSlotCount> configUnread;
};

// Identity probe of one bus address: the firmware version, or nothing when the module did not answer as an
// active unit ('w', then 0 or a module's own state other than 0xFF, then the version).
std::optional<std::uint8_t> ProbeIdentity(CXmit& link, std::uint8_t address);
// The same probe, telling why it failed.
std::optional<std::uint8_t> ProbeIdentity(CXmit& link, std::uint8_t address, IdentityFailure& failure);

// The first reason why a module list reply cannot be the rack's, or None.
ModuleListFault CheckModuleList(std::span<const std::uint8_t> reply);
// What an operator reads for it.
const char* ModuleListFaultText(ModuleListFault fault);

// The controller's probe and module list into the slot table: record 0 is the controller, then one record per
// module in the order the rack reports them, at most as many as the table holds. A list that cannot be the
// rack's is refused (false, with the reason in `fault`) and leaves only the controller.
bool ReadModuleList(CXmit& link, SlotTable& table, ModuleListFault* fault = nullptr);

// Probes every valid record and takes its version; the row of the first module that is not active, if any, and
// in `failure` why.
std::optional<std::size_t> IdentifyModules(CXmit& link, SlotTable& table, IdentityFailure& failure);

// Reads one module's configuration image; an image that does not fit the record is refused, never cut.
bool ReadModuleConfig(CXmit& link, SlotRecord& record);

// The exchanges of a discovery once the rack's port is open: module list, identities, then each configuration
// in row order, calling `onRowRead` after each row so that a window can show progress row by row.
DiscoveryReport RunDiscoveryExchanges(CXmit& link, SlotTable& table,
                                      const std::function<void(std::size_t row)>& onRowRead = {});

// Tells every module to restart (after firmware was written); nobody answers a broadcast. False when the
// request could not be written (the link's LastFailure says why): then nothing restarts.
bool BroadcastRestart(CXmit& link);

// How long the rack may take to answer again after its modules were told to restart.
constexpr std::uint32_t kRebootWaitMs = 120'000;

// Searches for the rack again and again, a second apart, while `keepSearching` says so and at most for
// `limitMs`: the rack is silent while its modules restart. True once it answered. With `only`, on that port
// alone: where the operator chose one rack of many, another rack of the table must not be taken for it.
bool SearchUntilFound(CXmit& link, Clock& clock, std::uint32_t limitMs, const std::function<bool()>& keepSearching,
                      std::optional<std::uint8_t> only = std::nullopt);

}  // namespace kelvane
