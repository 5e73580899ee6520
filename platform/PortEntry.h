#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// One entry of the port table as the operator writes it: a device ("/dev/ttyUSB0", "COM3"), a raw TCP stream
// to a serial server ("tcp:HOST:PORT") or a Telnet connection with the COM port option
// ("rfc2217:HOST:PORT"). Any entry may end in "?latency=MS", the round trip of its link, and may be preceded by
// the rack's name and " @ " ("Mont Aigoual @ rfc2217:tx-site-3:2001").
struct PortEntry {
    enum class Kind { Device, Tcp, Rfc2217 };

    Kind kind = Kind::Device;
    std::string device;  // a device's path or name
    std::string host;  // a server's name or address (IPv6 without its brackets)
    std::uint16_t port = 0;
    std::chrono::milliseconds latency{0};
    std::string name;  // the entry as the operator knows it, without its rack's name and its options
    std::string rack;  // the rack's name; empty when the entry has none
    std::string text;  // the entry as written, options included, without the rack's name
    std::string problem;  // why the entry cannot be used; empty when it can

    bool Network() const { return kind != Kind::Device; }
};

// The longest latency an entry may ask for: beyond it a reply wait would outlast any operator's patience.
constexpr std::chrono::milliseconds kMaxEntryLatency{10'000};

// Between a rack's name and its entry.
constexpr const char* kRackNameSeparator = " @ ";
// A name is typed by hand and shown in lines, titles and metric labels.
constexpr std::size_t kMaxRackNameBytes = 64;

PortEntry ParsePortEntry(const std::string& text);

// What names the rack behind an entry: its name, else the entry itself.
std::string RackLabel(const PortEntry& entry);

// A list of entries in one string (KELVANE_PORTS). With a ';' anywhere, ';' alone separates entries; otherwise
// ':' does, as for device paths, and "tcp" or "rfc2217" takes the host and port that follow into its entry.
// Blanks around entries and empty entries are dropped.
std::vector<std::string> SplitPortList(const std::string& list);

// The entries of a ports.txt: one a line, '#' to the end of the line is a comment, blank lines are skipped.
std::vector<std::string> ReadPortsFile(const std::string& text);

// Where the table comes from: the entries, and whether the machine's own serial devices follow them.
struct PortChoice {
    std::vector<std::string> entries;
    bool localDevices = true;
    // What is wrong with the --port option or KELVANE_PORTS as the operator gave them, one text each (an entry
    // that cannot be read, a list that names no port); empty when nothing is.
    std::vector<std::string> problems;
};

// The --port option alone when given; otherwise KELVANE_PORTS when set (it replaces the table, and one that
// names no port leaves it empty rather than searching every port); otherwise the entries of ports.txt (when
// there is one) followed by the machine's devices.
PortChoice ChoosePorts(const std::string& portOption, const std::optional<std::string>& environmentList,
                       const std::optional<std::string>& portsFile);

// The racks a command was asked for: --port entries as given, --rack names and --all (every named entry) looked
// up in the table that KELVANE_PORTS or else ports.txt holds.
struct RackRequest {
    std::vector<std::string> ports;
    std::vector<std::string> names;
    bool all = false;

    bool Empty() const { return ports.empty() && names.empty() && !all; }
};

// The entries asked for, each once, in the order asked; `problem` says why not (a name the table lacks, with
// the names it has; --all over a table without names; a name twice in the table).
struct RackChoice {
    std::vector<std::string> entries;
    std::string problem;
};

RackChoice ChooseRacks(const RackRequest& request, const std::optional<std::string>& environmentList,
                       const std::optional<std::string>& portsFile);

}  // namespace kelvane
