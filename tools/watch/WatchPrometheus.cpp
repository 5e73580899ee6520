#include "tools/watch/WatchPrometheus.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace kelvane {
namespace {

using Labels = std::initializer_list<std::pair<const char*, std::string>>;

class Exposition {
public:
    // Starts a family; its samples follow.
    void Family(const char* name, const char* type, const char* help) {
        text_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }

    void Sample(const char* name, Labels labels, const std::string& value) {
        text_ += name;
        if (labels.size() != 0) {
            std::string list;
            for (const auto& [label, labelValue] : labels) {
                list += (list.empty() ? "" : ",") + std::string(label) + "=\"" + PrometheusLabelValue(labelValue) + "\"";
            }
            text_ += "{" + list + "}";
        }
        text_ += " " + value + "\n";
    }

    std::string Text() && { return std::move(text_); }

private:
    std::string text_;
};

std::string Kilo(std::uint32_t bitsPerSecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%03u", bitsPerSecond / 1000, bitsPerSecond % 1000);
    return text;
}

std::string Row(int row) { return std::to_string(row); }
std::string Letter(int input) { return std::string(1, static_cast<char>('A' + input)); }

void ModuleFamilies(Exposition& e, const WatchRound& round) {
    e.Family("kelvane_rack_up", "gauge", "Whether the rack answered during the last round (1) or is being searched for (0).");
    e.Sample("kelvane_rack_up", {}, round.rackFound ? "1" : "0");
    e.Family("kelvane_rack_in_use", "gauge",
             "Whether another program held the rack's line this round (1): nothing polled, the rest as last known.");
    e.Sample("kelvane_rack_in_use", {}, round.inUse ? "1" : "0");
    e.Family("kelvane_module_up", "gauge", "Whether the module answered its last poll.");
    for (const ModuleReading& m : round.modules) {
        e.Sample("kelvane_module_up", {{"row", Row(m.row)}, {"model", m.model}}, m.answered ? "1" : "0");
    }
}

void InputFamilies(Exposition& e, const WatchRound& round) {
    struct Figure {
        const char* name;
        const char* help;
        std::uint8_t InputReading::*field;
    };
    e.Family("kelvane_input_locked", "gauge", "Whether the input is locked (1) or not (0), as its lamp is green or not.");
    for (const InputReading& i : round.inputs) {
        if (i.tuned) e.Sample("kelvane_input_locked", {{"row", Row(i.row)}, {"input", Letter(i.input)}}, IsLocked(i) ? "1" : "0");
    }
    const Figure figures[] = {
        {"kelvane_input_lock_state", "Lock state the input reports: 0 no lock, 1 carrier found, 2 locked.", &InputReading::lock},
        {"kelvane_input_level", "Signal level of the input, 0 to 100 as on the panel's bar.", &InputReading::level},
        {"kelvane_input_snr", "Signal-to-noise figure of the input, 0 to 100 as on the panel's bar.", &InputReading::snr},
    };
    for (const Figure& f : figures) {
        e.Family(f.name, "gauge", f.help);
        for (const InputReading& i : round.inputs) {
            if (i.tuned && i.answered) e.Sample(f.name, {{"row", Row(i.row)}, {"input", Letter(i.input)}}, std::to_string(i.*f.field));
        }
    }
}

void ChannelFamilies(Exposition& e, const WatchRound& round) {
    e.Family("kelvane_channel_bitrate_kbps", "gauge", "Bit-rate in use on the output channel, kbit/s.");
    for (const ChannelReading& c : round.channels) {
        if (c.answered) e.Sample("kelvane_channel_bitrate_kbps", {{"row", Row(c.row)}, {"channel", Row(c.channel)}}, Kilo(c.inUse));
    }
    e.Family("kelvane_channel_capacity_kbps", "gauge", "Capacity of the output channel at its modulation, kbit/s.");
    for (const ChannelReading& c : round.channels) {
        if (c.answered) e.Sample("kelvane_channel_capacity_kbps", {{"row", Row(c.row)}, {"channel", Row(c.channel)}}, Kilo(c.capacity));
    }
    e.Family("kelvane_service_rate", "gauge", "Rate the output module reports for a service placed on the channel, in its own units.");
    for (const ChannelReading& c : round.channels) {
        if (!c.answered) continue;
        for (const ServiceReading& s : c.services) {
            e.Sample("kelvane_service_rate",
                     {{"row", Row(c.row)}, {"channel", Row(c.channel)}, {"service", std::to_string(s.id)}, {"name", s.name}},
                     std::to_string(s.rate));
        }
    }
}

}  // namespace

std::string PrometheusLabelValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '"') out += "\\\"";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string PrometheusText(const WatchRound& round) {
    Exposition e;
    ModuleFamilies(e, round);
    InputFamilies(e, round);
    ChannelFamilies(e, round);
    e.Family("kelvane_poll_failures_total", "counter",
             "Polls that failed all their tries, and rounds missed while the rack was lost, since watch started.");
    e.Sample("kelvane_poll_failures_total", {}, std::to_string(round.pollFailures));
    e.Family("kelvane_last_round_timestamp_seconds", "gauge", "When the last round was made, seconds since 1970 (UTC).");
    e.Sample("kelvane_last_round_timestamp_seconds", {}, std::to_string(static_cast<long long>(round.time)));
    return std::move(e).Text();
}

}  // namespace kelvane
