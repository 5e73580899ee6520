#pragma once

#include "app/SlotTable.h"
#include "fuzz/FuzzChecks.h"

#include <algorithm>

// What the two image harnesses share: a record made from the fuzzer's bytes.
namespace kelvane::fuzz {

// A record of `type` holding `image`, cut to the record's buffer as a read from a module is.
inline SlotRecord RecordOf(std::uint8_t type, Bytes image) {
    SlotRecord record;
    record.Type = type;
    const std::size_t length = std::min(image.size(), kConfigCapacity);
    std::copy_n(image.begin(), length, record.Config.begin());
    record.ConfigLength = static_cast<std::uint16_t>(length);
    return record;
}

inline bool SameImage(const SlotRecord& a, const SlotRecord& b) {
    const auto x = a.ConfigImage();
    const auto y = b.ConfigImage();
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

}  // namespace kelvane::fuzz
