#pragma once

#include "platform/PortEntry.h"
#include "platform/SerialPort.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kelvane {

// The name of the file in the working folder whose entries come before the machine's own ports.
constexpr const char* kPortsFileName = "ports.txt";

// The port table of the program, numbered as the rack search counts them: `portOption` (kelvane-cli --port)
// alone when given; otherwise KELVANE_PORTS when set; otherwise the entries of ports.txt in `workingFolder`
// followed by the serial ports of this machine.
std::unique_ptr<PortOpener> MakeNativePortOpener(const std::string& portOption = {},
                                                 const std::filesystem::path& workingFolder = ".");

// What is wrong with `portOption` or KELVANE_PORTS, one text each; empty when the table can be searched.
std::vector<std::string> PortTableProblems(const std::string& portOption);

// The entries of the racks asked for by --port, --rack and --all, names looked up in KELVANE_PORTS when set,
// otherwise in ports.txt in `workingFolder`.
RackChoice ChooseNativeRacks(const RackRequest& request, const std::filesystem::path& workingFolder);

}  // namespace kelvane
