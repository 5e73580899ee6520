#include "sim/ServiceLineup.h"

#include "sim/BigEndian.h"
#include "sim/Bouquets.h"
#include "sim/ServiceNumbering.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kTelevisionFlag = 0x01;
constexpr std::uint8_t kScrambledFlag = 0x02;
constexpr std::uint32_t kMaxServiceId = 0xFFFF;
constexpr int kUnconfiguredBlocks = 500;  // rows with nothing configured number from 1000 to 50900
constexpr int kUnconfiguredFirstBlock = 10;

// Where the row's own numbering starts: the hundred of its first configured service, or one derived from the
// frequency when nothing is configured.
std::uint32_t NumberingBase(const LineupPlan& plan) {
    if (plan.configured.empty()) {
        const int block = kUnconfiguredFirstBlock + std::abs(plan.frequencyMHz) % kUnconfiguredBlocks;
        return static_cast<std::uint32_t>(block * kNumberingBlock);
    }
    const auto lowest =
        std::min_element(plan.configured.begin(), plan.configured.end(),
                         [](const InputService& a, const InputService& b) { return a.serviceId < b.serviceId; });
    return lowest->serviceId / kNumberingBlock * kNumberingBlock;
}

bool Contains(std::span<const std::uint16_t> ids, std::uint16_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

ServiceLineup::ServiceLineup(const LineupPlan& plan)
    : bouquet_(BouquetIndexFor(plan.frequencyMHz)),
      namesUsed_(BouquetAt(bouquet_).entries.size(), false),
      transportStreamId_(static_cast<std::uint16_t>(std::abs(plan.frequencyMHz) / 10)),
      originalNetworkId_(BouquetAt(bouquet_).originalNetworkId),
      numberingBase_(NumberingBase(plan)) {
    for (const InputService& service : plan.configured) Include(service);
    AddExtras(plan.extras, plan.reserved);
}

void ServiceLineup::Include(const InputService& configured) { Add(configured.serviceId, configured.cam != 0); }

void ServiceLineup::AppendNamesRow(std::vector<std::uint8_t>& reply) const {
    reply.push_back(static_cast<std::uint8_t>(services_.size()));
    if (services_.empty()) return;
    for (const AnnouncedService& s : services_) {
        PutU16(reply, s.serviceId);
        PutText(reply, s.name);
    }
    for (const AnnouncedService& s : services_) {
        reply.push_back(
            static_cast<std::uint8_t>((s.television ? kTelevisionFlag : 0) | (s.scrambled ? kScrambledFlag : 0)));
    }
    PutU16(reply, transportStreamId_);
    PutU16(reply, originalNetworkId_);
}

void ServiceLineup::Add(std::uint16_t id, bool scrambled) {
    if (Announces(id) || services_.size() >= kMaxServices) return;
    const bool radio = IsRadioService(id);
    services_.push_back({id, TakeName(radio, scrambled, id), !radio, scrambled});
}

void ServiceLineup::AddExtras(std::size_t count, std::span<const std::uint16_t> reserved) {
    const std::span<const BouquetEntry> entries = BouquetAt(bouquet_).entries;
    std::size_t added = 0;
    for (std::size_t i = 0; i < entries.size() && added < count && services_.size() < kMaxServices; ++i) {
        if (namesUsed_[i]) continue;
        // The next free number in the row's block for this kind of service.
        std::optional<std::uint16_t> id;
        const int first = entries[i].radio ? kRadioFrom : 1;
        const int last = entries[i].radio ? kNumberingBlock : kRadioFrom;
        for (int k = first; k < last && !id; ++k) {
            const std::uint32_t candidate = numberingBase_ + static_cast<std::uint32_t>(k);
            const auto narrow = static_cast<std::uint16_t>(candidate);
            if (candidate <= kMaxServiceId && !Announces(narrow) && !Contains(reserved, narrow)) id = narrow;
        }
        if (!id) continue;
        namesUsed_[i] = true;
        services_.push_back({*id, std::string(entries[i].name), !entries[i].radio, entries[i].scrambled});
        ++added;
    }
}

// The first free bouquet name of the right kind, preferably one whose scrambling agrees; a plain numbered
// name once the bouquet has none left.
std::string ServiceLineup::TakeName(bool radio, bool scrambled, std::uint16_t id) {
    const std::span<const BouquetEntry> entries = BouquetAt(bouquet_).entries;
    std::optional<std::size_t> chosen;
    for (std::size_t i = 0; i < entries.size() && !chosen; ++i) {
        if (!namesUsed_[i] && entries[i].radio == radio && entries[i].scrambled == scrambled) chosen = i;
    }
    for (std::size_t i = 0; i < entries.size() && !chosen; ++i) {
        if (!namesUsed_[i] && entries[i].radio == radio) chosen = i;
    }
    if (!chosen) return (radio ? "Radio " : "Service ") + std::to_string(id);
    namesUsed_[*chosen] = true;
    return std::string(entries[*chosen].name);
}

bool ServiceLineup::Announces(std::uint16_t id) const {
    return std::any_of(services_.begin(), services_.end(),
                       [id](const AnnouncedService& s) { return s.serviceId == id; });
}

void AppendSilentRow(std::vector<std::uint8_t>& reply) { reply.push_back(0); }

}  // namespace kelvane::sim
