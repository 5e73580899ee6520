#pragma once

#include "config/FirmwareFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kelvane {

// What Rack > Firmware files shows: the list the scan read, each of its lines with what the scan made of it,
// and how many images can be used, in the operator's language.
std::string FirmwareReportText(const FirmwareScan& scan, const std::filesystem::path& listPath);

// What Help > Using the window shows: the section "The window" of the first README.md of `candidates` that can
// be read, or where it was looked for.
std::string WindowGuideText(const std::vector<std::filesystem::path>& candidates);

}  // namespace kelvane
