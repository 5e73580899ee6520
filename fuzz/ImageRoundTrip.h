#pragma once

#include "app/SlotTable.h"
#include "fuzz/FuzzChecks.h"
#include "panel/PanelModel.h"

#include <algorithm>

// What the two image harnesses share: a record made from the fuzzer's bytes, and the round trip.
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

// A record of the type the input's first byte picks among `types`, holding the rest of the input.
inline SlotRecord PickedRecord(std::span<const std::uint8_t> types, Bytes input) {
    return RecordOf(types[input[0] % types.size()], input.subspan(1));
}

inline bool SameImage(const SlotRecord& a, const SlotRecord& b) { return SameBytes(a.ConfigImage(), b.ConfigImage()); }

// Encodes what the first decode of `read` gave; a refused encoding must leave the record as it was. Otherwise the
// written record is decoded again, `compare` checks the two models, and encoding the second must give the same
// bytes.
template <typename Encode, typename Decode, typename Compare>
void RoundTrip(const SlotRecord& read, const PanelModel& first, Encode encode, Decode decode, Compare compare) {
    SlotRecord written = read;
    if (!encode(first, written)) {
        Require(SameImage(written, read), "a refused encoding leaves the record as it was");
        return;
    }
    const PanelModel second = decode(written);
    compare(first, second);
    SlotRecord again = written;
    Require(encode(second, again) && SameImage(again, written), "encoding a decoded image is stable");
}

}  // namespace kelvane::fuzz
