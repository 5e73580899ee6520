#pragma once

#include "panel/PanelModel.h"

#include <optional>
#include <string_view>

namespace kelvane {

enum class FieldId {
    InputFreq,
    Input2Freq,
    InputSymbolRate,
    Input2SymbolRate,
    PlayerServiceId,
    OutputFreq,
    Level,
    NetworkId,
    StreamId1,
    StreamId2,
    StreamId3,
    StreamId4,
    NetworkVersion,
    Lcn,
};

// A numeric field of a pair, by the name kelvane-cli's set takes, with the values its module can hold.
struct FieldRange {
    FieldId id;
    std::string_view name;
    int low;
    int high;
    bool input;  // an input's parameter: changing it restarts the outputs the input feeds
};

// One table for every numeric field, so that the window and kelvane-cli take and refuse the same values.
const FieldRange& RangeOf(FieldId id);
const FieldRange* FindFieldRange(std::string_view name);

// `text` as a whole decimal number within the range; nothing for anything else (signs, blanks, letters,
// digits beyond the range), so that no value is ever cut or wrapped to fit.
std::optional<int> ParseFieldValue(const FieldRange& range, std::string_view text);

// The model's value of a scalar field (every field but Lcn, which belongs to a service).
int FieldValue(const PanelModel& m, FieldId id);
// Stores a value already within range and marks the image it belongs to for rebuilding.
void SetFieldValue(PanelModel& m, FieldId id, int value);

}  // namespace kelvane
