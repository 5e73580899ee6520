#pragma once

#include "app/SlotTable.h"
#include "config/ConfigFile.h"

#include <cstdint>
#include <string>

namespace kelvane {

// Whether the loaded records describe the installed modules: as many records as listed modules, with the same
// type code position by position. Addresses, versions and images do not count.
bool ConfigMatches(const SlotTable& slots, const LoadedConfig& loaded);

// The summary the operator reads before an upload: the verdict of the match check, then a description of every
// loaded record, in the current language, each line ending in CR LF and an empty line after each record.
std::string ConfigSummaryText(const SlotTable& slots, const LoadedConfig& loaded);

// The description of the record in row `row`. Only the record's image is read: a field that lies beyond its
// length is absent, and the line or entry that would show it is left out; a list stops at its first absent
// entry, and the description stops where the image gives no more blocks.
std::string DescribeRecord(std::size_t row, const SlotRecord& record);

}  // namespace kelvane
