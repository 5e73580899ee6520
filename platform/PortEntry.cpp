#include "platform/PortEntry.h"

#include <algorithm>
#include <string_view>

namespace kelvane {
namespace {

constexpr std::string_view kTcpPrefix = "tcp:";
constexpr std::string_view kRfc2217Prefix = "rfc2217:";
constexpr std::string_view kLatencyOption = "?latency=";
constexpr std::string_view kBlanks = " \t\r\n";

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

// Digits only, at most `max`; nothing for anything else.
std::optional<unsigned long> Number(std::string_view digits, unsigned long max) {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    unsigned long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

void ParseServer(std::string_view address, PortEntry& entry) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string_view::npos) {
        entry.problem = "no port number after the host";
        return;
    }
    std::string_view host = address.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const auto port = Number(address.substr(colon + 1), 65535);
    if (host.empty()) {
        entry.problem = "no host";
    } else if (!port || *port == 0) {
        entry.problem = "the port is not a number from 1 to 65535";
    } else {
        entry.host = std::string(host);
        entry.port = static_cast<std::uint16_t>(*port);
    }
}

std::string RackNameProblem(std::string_view name) {
    if (name.empty()) return "no rack name before \" @ \"";
    if (name.size() > kMaxRackNameBytes)
        return "the rack name is longer than " + std::to_string(kMaxRackNameBytes) + " bytes";
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; };
    if (std::any_of(name.begin(), name.end(), control)) return "the rack name holds a control character";
    return {};
}

// The entry of "NAME @ ENTRY", the name going into `entry`; the whole text when it names no rack.
std::string TakeRackName(std::string_view text, PortEntry& entry) {
    const std::size_t at = text.find(kRackNameSeparator);
    if (at == std::string_view::npos) return std::string(text);
    entry.rack = Trim(text.substr(0, at));
    entry.problem = RackNameProblem(entry.rack);
    std::string rest = Trim(text.substr(at + std::string_view(kRackNameSeparator).size()));
    if (entry.problem.empty() && rest.find(kRackNameSeparator) != std::string::npos) {
        entry.problem = "more than one \" @ \" in the entry";
    }
    if (entry.problem.empty() && rest.empty()) entry.problem = "no entry after the rack name";
    return rest;
}

// The entry of a list field, without the rack's name in front of it.
std::string_view EntryPart(std::string_view field) {
    const std::size_t at = field.find(kRackNameSeparator);
    if (at == std::string_view::npos) return field;
    field.remove_prefix(at + std::string_view(kRackNameSeparator).size());
    return field.substr(std::min(field.find_first_not_of(kBlanks), field.size()));
}

std::vector<PortEntry> ParseTable(const std::optional<std::string>& environmentList,
                                  const std::optional<std::string>& portsFile) {
    std::vector<PortEntry> table;
    const std::vector<std::string> texts = environmentList ? SplitPortList(*environmentList)
                                           : portsFile     ? ReadPortsFile(*portsFile)
                                                           : std::vector<std::string>{};
    for (const std::string& text : texts) table.push_back(ParsePortEntry(text));
    return table;
}

std::string NamesOf(const std::vector<const PortEntry*>& named) {
    if (named.empty()) return "the port table names no rack";
    std::string names;
    for (const PortEntry* entry : named) names += (names.empty() ? "" : ", ") + entry->rack;
    return "named: " + names;
}

}  // namespace

std::string RackLabel(const PortEntry& entry) { return entry.rack.empty() ? entry.name : entry.rack; }

PortEntry ParsePortEntry(const std::string& text) {
    PortEntry entry;
    entry.text = TakeRackName(text, entry);
    const std::string& unnamed = entry.text;
    std::string_view rest = unnamed;
    if (const std::size_t option = rest.rfind(kLatencyOption); option != std::string_view::npos) {
        const auto ms = Number(rest.substr(option + kLatencyOption.size()), kMaxEntryLatency.count());
        if (!ms && entry.problem.empty()) entry.problem = "the latency is not a number of milliseconds from 0 to 10000";
        entry.latency = std::chrono::milliseconds(ms.value_or(0));
        rest = rest.substr(0, option);
    }
    entry.name = std::string(rest);
    if (rest.starts_with(kTcpPrefix)) {
        entry.kind = PortEntry::Kind::Tcp;
        if (entry.problem.empty()) ParseServer(rest.substr(kTcpPrefix.size()), entry);
    } else if (rest.starts_with(kRfc2217Prefix)) {
        entry.kind = PortEntry::Kind::Rfc2217;
        if (entry.problem.empty()) ParseServer(rest.substr(kRfc2217Prefix.size()), entry);
    } else {
        entry.device = entry.name;
        if (entry.device.empty() && entry.problem.empty()) entry.problem = "no device";
    }
    return entry;
}

std::vector<std::string> SplitPortList(const std::string& list) {
    const char separator = list.find(';') != std::string::npos ? ';' : ':';
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(separator, start), list.size());
        fields.push_back(Trim(std::string_view(list).substr(start, end - start)));
        start = end + 1;
    }
    std::vector<std::string> entries;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        std::string entry = fields[k];
        const std::string_view kind = EntryPart(entry);
        if (separator == ':' && (kind == "tcp" || kind == "rfc2217")) {
            for (int taken = 0; taken < 2 && k + 1 < fields.size(); ++taken) entry += ':' + fields[++k];
        }
        if (!entry.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> ReadPortsFile(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = std::string_view(text).substr(start, end - start);
        line = line.substr(0, std::min(line.find('#'), line.size()));
        if (std::string entry = Trim(line); !entry.empty()) entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

PortChoice ChoosePorts(const std::string& portOption, const std::optional<std::string>& environmentList,
                       const std::optional<std::string>& portsFile) {
    if (!portOption.empty()) {
        PortChoice choice{{portOption}, false, {}};
        if (const PortEntry entry = ParsePortEntry(portOption); !entry.problem.empty()) {
            choice.problems.push_back("--port " + portOption + ": " + entry.problem);
        }
        return choice;
    }
    if (environmentList) {
        PortChoice choice{SplitPortList(*environmentList), false, {}};
        if (choice.entries.empty()) choice.problems.push_back("KELVANE_PORTS is set but names no port");
        for (const std::string& text : choice.entries) {
            const PortEntry entry = ParsePortEntry(text);
            if (!entry.problem.empty()) choice.problems.push_back("KELVANE_PORTS entry " + text + ": " + entry.problem);
        }
        return choice;
    }
    if (portsFile) return {ReadPortsFile(*portsFile), true, {}};
    return {{}, true, {}};
}

}  // namespace kelvane

namespace kelvane {

RackChoice ChooseRacks(const RackRequest& request, const std::optional<std::string>& environmentList,
                       const std::optional<std::string>& portsFile) {
    RackChoice choice;
    const std::vector<PortEntry> table = ParseTable(environmentList, portsFile);
    std::vector<const PortEntry*> named;
    for (const PortEntry& entry : table) {
        if (entry.rack.empty() || !entry.problem.empty()) continue;
        const auto same = [&entry](const PortEntry* other) { return other->rack == entry.rack; };
        if (std::any_of(named.begin(), named.end(), same)) choice.problem = "two entries are named " + entry.rack;
        named.push_back(&entry);
    }
    const auto add = [&choice](const std::string& entry) {
        if (std::find(choice.entries.begin(), choice.entries.end(), entry) == choice.entries.end()) {
            choice.entries.push_back(entry);
        }
    };
    for (const std::string& port : request.ports) add(port);
    for (const std::string& name : request.names) {
        const auto found =
            std::find_if(named.begin(), named.end(), [&name](const PortEntry* e) { return e->rack == name; });
        if (found == named.end()) {
            choice.problem = "no rack is named " + name + " (" + NamesOf(named) + ")";
        } else {
            add((*found)->rack + kRackNameSeparator + (*found)->text);
        }
    }
    if (request.all && named.empty()) choice.problem = "--all: " + NamesOf(named) + " (write NAME @ ENTRY)";
    if (request.all) {
        for (const PortEntry* entry : named) add(entry->rack + kRackNameSeparator + entry->text);
    }
    if (!choice.problem.empty()) choice.entries.clear();
    return choice;
}

}  // namespace kelvane
