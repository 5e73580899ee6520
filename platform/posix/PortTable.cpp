#include "platform/posix/PortTable.h"

#include "platform/posix/PosixSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

// ttyS10 after ttyS9: compare the prefix, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9') --digits;
        return std::pair{s.substr(0, digits), s.substr(digits)};
    };
    const auto [pa, na] = split(a);
    const auto [pb, nb] = split(b);
    if (pa != pb) return pa < pb;
    if (na.size() != nb.size()) return na.size() < nb.size();
    return na < nb;
}

std::vector<std::string> EntriesOf(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (prefix.empty() || name.rfind(prefix, 0) == 0) found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end(), NaturalLess);
    return found;
}

std::string CanonicalOf(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

}  // namespace

std::vector<std::string> PortTable::ParseList(const std::string& list) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        if (colon > start) paths.push_back(list.substr(start, colon - start));
        start = colon + 1;
    }
    return paths;
}

std::vector<std::string> PortTable::ScanDevices(const std::string& devRoot) {
    std::vector<std::string> table;
    std::set<std::string> listed;
    const auto add = [&](const std::string& path) {
        if (listed.insert(CanonicalOf(path)).second) table.push_back(path);
    };
    for (const auto& p : EntriesOf(fs::path(devRoot) / "serial" / "by-id", "")) add(p);
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const auto& p : EntriesOf(devRoot, prefix)) add(p);
    }
    return table;
}

PortTable PortTable::Scanning(std::string devRoot) {
    PortTable table(ScanDevices(devRoot));
    table.scannedRoot_ = std::move(devRoot);
    return table;
}

PortTable PortTable::FromEnvironment() {
    if (const char* list = std::getenv("KELVANE_PORTS"); list != nullptr && *list != '\0') {
        return PortTable(ParseList(list));
    }
    return Scanning();
}

void PortTable::BeginSearch() {
    if (!scannedRoot_.empty()) paths_ = ScanDevices(scannedRoot_);
}

std::unique_ptr<SerialPort> PortTable::Open(std::uint8_t number) {
    lastFailure_ = OpenFailure{Describe(number), ENODEV, false, OpenProblem::Absent, {}};
    if (number >= paths_.size()) return nullptr;
    const UucpLock::Folders* folders = lockFolders_ ? &*lockFolders_ : nullptr;
    int error = 0;
    auto port = PosixSerialPort::Open(paths_[number], &error, folders);
    if (!port) lastFailure_ = PosixSerialPort::Explain(paths_[number], error, folders);
    return port;
}

std::string PortTable::Describe(std::uint8_t number) const {
    return number < paths_.size() ? paths_[number] : "port " + std::to_string(number) + " (not present)";
}

}  // namespace kelvane
