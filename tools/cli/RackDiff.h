#pragma once

#include "app/SlotTable.h"

#include <string>
#include <vector>

namespace kelvane {

struct LoadedConfig;

// Two racks' images compared row by row, as the operator reads them: the fields the panel shows, the services,
// the rows whose module differs, and the bytes that no field explains. One line each, without line ends.
struct RackDifferences {
    std::vector<std::string> lines;
    bool Same() const { return lines.empty(); }
};

// `first` and `second` name the two sides in the lines ("A", "rack", a file name).
RackDifferences DiffRacks(const SlotTable& a, const SlotTable& b, const std::string& first, const std::string& second);

// A file's records as a slot table (types and images; no addresses or versions), for comparing.
SlotTable SlotsOfFile(const LoadedConfig& loaded);

}  // namespace kelvane
