#include "config/ChainEdits.h"

#include "app/ModuleTypes.h"
#include "config/ConfigSync.h"
#include "config/ImageFields.h"

#include <algorithm>
#include <optional>

namespace kelvane {
namespace {

// Output images: the service count at byte 8, the entries from byte 9. A KXD400 entry is its service id; the
// other outputs add a flags byte whose bit 7 is the activation.
constexpr std::size_t kMaskedEntries = 16;
constexpr std::size_t kMaxChainedIds = 255;

std::size_t EntryWidth(std::uint8_t type) { return type == kSingleChannelOutputType ? 2 : 3; }

std::size_t Listed(const SlotTable& slots) { return std::min<std::size_t>(slots.ModuleCount, kSlotCount); }

bool Contains(std::span<const std::uint16_t> ids, std::uint16_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::optional<std::size_t> FindAddress(const SlotTable& slots, std::uint8_t address) {
    for (std::size_t row = 0; row < Listed(slots); ++row) {
        if (slots[row].Address == address) return row;
    }
    return std::nullopt;
}

// The service ids of the entries that lie wholly inside an output image.
std::vector<std::uint16_t> OutputServiceIds(const SlotRecord& output) {
    const ImageFields image(ValidImage(output));
    const std::size_t width = EntryWidth(output.Type);
    std::vector<std::uint16_t> ids;
    const std::size_t count = image.U8(kServiceCountOffset).value_or(0);
    for (std::size_t k = 0; k < count && image.Holds(kFirstEntryOffset + width * k, width); ++k) {
        ids.push_back(*image.U16(kFirstEntryOffset + width * k));
    }
    return ids;
}

// KXD400: a 16-bit mask after the entries and their 0xFF marker.
void SetActivationMask(SlotRecord& output, std::span<const std::uint16_t> activated) {
    const auto image = ValidImage(output);
    const std::optional<std::uint8_t> count = ImageFields(image).U8(kServiceCountOffset);
    if (!count) return;
    const std::vector<std::uint16_t> ids = OutputServiceIds(output);
    std::uint16_t mask = 0;
    for (std::size_t k = 0; k < std::min(ids.size(), kMaskedEntries); ++k) {
        if (Contains(activated, ids[k])) mask = static_cast<std::uint16_t>(mask | (1u << k));
    }
    StoreU16(image, kFirstEntryOffset + 2 * std::size_t{*count} + 1, mask);
}

// The other outputs: bit 7 of each entry's flags byte; the channel bits stay.
void SetActivationFlags(SlotRecord& output, std::span<const std::uint16_t> activated) {
    const auto image = ValidImage(output);
    const std::vector<std::uint16_t> ids = OutputServiceIds(output);
    for (std::size_t k = 0; k < ids.size(); ++k) {
        std::uint8_t& flags = image[kFirstEntryOffset + 3 * k + 2];
        flags = static_cast<std::uint8_t>(flags & ~kActivatedFlag);
        if (Contains(activated, ids[k])) flags = static_cast<std::uint8_t>(flags | kActivatedFlag);
    }
}

// Where block C of a KXC300 image keeps its count, when the image holds the whole block.
std::optional<std::size_t> BlockCOffset(std::span<const std::uint8_t> image) {
    const ImageFields fields(image);
    std::size_t row = 0;
    for (std::size_t skipped = 0; skipped + 1 < kPlayerInputRows; ++skipped) {
        const std::optional<std::uint8_t> count = fields.U8(row + kInputRowCountOffset);
        if (!count) return std::nullopt;
        row += InputRowSize(*count);
    }
    const std::size_t countAt = row + kInputRowCountOffset;
    const std::optional<std::uint8_t> count = fields.U8(countAt);
    if (!count || !fields.Holds(countAt + 1, 3 * std::size_t{*count})) return std::nullopt;
    return countAt;
}

// The image with block C's list edited, or nothing when the edit has to be refused.
std::optional<std::vector<std::uint8_t>> EditedBlockC(const SlotRecord& player, std::uint16_t serviceId, bool add) {
    const auto image = ValidImage(player);
    const std::optional<std::size_t> q = BlockCOffset(image);
    if (!q) return std::nullopt;
    const ImageFields fields(image);
    const std::size_t oldCount = image[*q];
    std::vector<std::uint16_t> ids;
    for (std::size_t k = 0; k < oldCount; ++k) ids.push_back(*fields.U16(*q + 1 + 2 * k));
    if (add && !Contains(ids, serviceId)) {
        if (ids.size() >= kMaxChainedIds) return std::nullopt;
        ids.push_back(serviceId);
    } else if (!add) {
        std::erase(ids, serviceId);
    }
    const std::size_t tailAt = *q + 1 + 3 * oldCount;
    if (image.size() - tailAt + *q + 1 + 3 * ids.size() > kConfigCapacity) return std::nullopt;

    std::vector<std::uint8_t> edited(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(*q));
    edited.push_back(static_cast<std::uint8_t>(ids.size()));
    for (const std::uint16_t id : ids) {
        edited.push_back(static_cast<std::uint8_t>(id >> 8));
        edited.push_back(static_cast<std::uint8_t>(id & 0xFF));
    }
    edited.insert(edited.end(), ids.size(), 0);  // every pass-through service loses its CI module
    edited.insert(edited.end(), image.begin() + static_cast<std::ptrdiff_t>(tailAt), image.end());
    return edited;
}

}  // namespace

void SetActivatedServices(SlotTable& slots, std::uint8_t inputAddress, std::span<const std::uint16_t> serviceIds) {
    bool inRun = inputAddress == kAllOutputs;
    for (std::size_t row = 0; row < Listed(slots); ++row) {
        SlotRecord& record = slots[row];
        if (IsInputType(record.Type) && inputAddress != kAllOutputs) inRun = record.Address == inputAddress;
        if (!inRun || !IsOutputType(record.Type)) continue;
        if (record.Type == kSingleChannelOutputType) {
            SetActivationMask(record, serviceIds);
        } else {
            SetActivationFlags(record, serviceIds);
        }
    }
}

std::vector<std::uint16_t> CollectOutputServiceIds(const SlotTable& slots, std::uint8_t inputAddress) {
    std::vector<std::uint16_t> collected;
    const std::optional<std::size_t> found = FindAddress(slots, inputAddress);
    if (!found) return collected;
    std::size_t row = *found;
    if (IsInputType(slots[row].Type)) {
        while (row < Listed(slots) && IsInputType(slots[row].Type)) ++row;
    }
    for (; row < Listed(slots) && !IsInputType(slots[row].Type); ++row) {
        if (!IsOutputType(slots[row].Type)) continue;
        for (const std::uint16_t id : OutputServiceIds(slots[row])) {
            if (!Contains(collected, id)) collected.push_back(id);
        }
    }
    return collected;
}

bool UpdateChainedPlayers(SlotTable& slots, std::uint8_t address, std::uint16_t serviceId, bool add) {
    const std::optional<std::size_t> first = FindAddress(slots, address);
    if (!first || slots[*first].Type != kPlayerType) return true;
    std::size_t last = *first;
    for (std::size_t row = *first; row < Listed(slots) && !IsOutputType(slots[row].Type); ++row) {
        if (slots[row].Type == kPlayerType) last = row;
    }

    // Every edit is worked out before any is made, so that a refusal leaves the chain as it was.
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> edits;
    for (std::size_t row = *first + 1; row < last; ++row) {
        if (slots[row].Type != kPlayerType) continue;
        std::optional<std::vector<std::uint8_t>> edited = EditedBlockC(slots[row], serviceId, add);
        if (!edited) return false;
        edits.emplace_back(row, std::move(*edited));
    }
    for (const auto& [row, image] : edits) {
        std::copy(image.begin(), image.end(), slots[row].Config.begin());
        slots[row].ConfigLength = static_cast<std::uint16_t>(image.size());
    }
    return true;
}

}  // namespace kelvane
