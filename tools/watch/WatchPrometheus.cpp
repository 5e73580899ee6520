#include "tools/watch/WatchPrometheus.h"

#include "text/Utf8.h"

#include <initializer_list>
#include <utility>

namespace kelvane {
namespace {

using Labels = std::initializer_list<std::pair<const char*, std::string>>;
using Rounds = std::span<const WatchRound>;

class Exposition {
public:
    // Starts a family; its samples follow.
    void Family(const char* name, const char* type, const char* help) {
        text_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }

    // The samples that follow are of this rack.
    void Rack(const std::string& rack) { rack_ = "rack=\"" + PrometheusLabelValue(rack) + "\""; }

    void Sample(const char* name, Labels labels, const std::string& value) {
        std::string list = rack_;
        for (const auto& [label, labelValue] : labels) {
            list += "," + std::string(label) + "=\"" + PrometheusLabelValue(labelValue) + "\"";
        }
        text_ += std::string(name) + "{" + list + "} " + value + "\n";
    }

    std::string Text() && { return std::move(text_); }

    // Each round's samples of one family, the rack's label set first.
    template <typename Write>
    void EachRack(Rounds rounds, Write write) {
        for (const WatchRound& round : rounds) {
            Rack(round.rack);
            write(round);
        }
    }

private:
    std::string text_;
    std::string rack_;
};

std::string Row(int row) { return std::to_string(row); }
std::string Letter(int input) { return std::string(1, static_cast<char>('A' + input)); }

void ModuleFamilies(Exposition& e, Rounds rounds) {
    e.Family("kelvane_rack_up", "gauge",
             "Whether the rack answered during the last round (1) or is being searched for (0).");
    e.EachRack(rounds, [&e](const WatchRound& round) { e.Sample("kelvane_rack_up", {}, round.rackFound ? "1" : "0"); });
    e.Family("kelvane_rack_in_use", "gauge",
             "Whether another program held the rack's line this round (1): nothing polled, the rest as last known.");
    e.EachRack(rounds, [&e](const WatchRound& round) { e.Sample("kelvane_rack_in_use", {}, round.inUse ? "1" : "0"); });
    e.Family("kelvane_module_up", "gauge", "Whether the module answered its last poll.");
    e.EachRack(rounds, [&e](const WatchRound& round) {
        for (const ModuleReading& m : round.modules) {
            e.Sample("kelvane_module_up", {{"row", Row(m.row)}, {"model", m.model}}, m.answered ? "1" : "0");
        }
    });
}

void InputFamilies(Exposition& e, Rounds rounds) {
    struct Figure {
        const char* name;
        const char* help;
        std::uint8_t InputReading::*field;
    };
    e.Family("kelvane_input_locked", "gauge",
             "Whether the input is locked (1) or not (0), as its lamp is green or not.");
    e.EachRack(rounds, [&e](const WatchRound& round) {
        for (const InputReading& i : round.inputs) {
            if (i.tuned)
                e.Sample("kelvane_input_locked", {{"row", Row(i.row)}, {"input", Letter(i.input)}},
                         IsLocked(i) ? "1" : "0");
        }
    });
    const Figure figures[] = {
        {"kelvane_input_lock_state", "Lock state the input reports: 0 no lock, 1 carrier found, 2 locked.",
         &InputReading::lock},
        {"kelvane_input_level", "Signal level of the input, 0 to 100 as on the panel's bar.", &InputReading::level},
        {"kelvane_input_snr", "Signal-to-noise figure of the input, 0 to 100 as on the panel's bar.",
         &InputReading::snr},
    };
    for (const Figure& f : figures) {
        e.Family(f.name, "gauge", f.help);
        e.EachRack(rounds, [&e, &f](const WatchRound& round) {
            for (const InputReading& i : round.inputs) {
                if (i.tuned && i.answered)
                    e.Sample(f.name, {{"row", Row(i.row)}, {"input", Letter(i.input)}}, std::to_string(i.*f.field));
            }
        });
    }
}

void ChannelFamilies(Exposition& e, Rounds rounds) {
    struct Figure {
        const char* name;
        const char* help;
        std::uint32_t ChannelReading::*field;
    };
    const Figure figures[] = {
        {"kelvane_channel_bits_per_second", "Bit-rate in use on the output channel, bits per second.",
         &ChannelReading::inUse},
        {"kelvane_channel_capacity_bits_per_second",
         "Capacity of the output channel at its modulation, bits per second.", &ChannelReading::capacity},
    };
    for (const Figure& f : figures) {
        e.Family(f.name, "gauge", f.help);
        e.EachRack(rounds, [&e, &f](const WatchRound& round) {
            for (const ChannelReading& c : round.channels) {
                if (c.answered)
                    e.Sample(f.name, {{"row", Row(c.row)}, {"channel", Row(c.channel)}}, std::to_string(c.*f.field));
            }
        });
    }
    e.Family("kelvane_service_rate", "gauge",
             "Rate the output module reports for a service placed on the channel, in its own units.");
    e.EachRack(rounds, [&e](const WatchRound& round) {
        for (const ChannelReading& c : round.channels) {
            if (!c.answered) continue;
            for (const ServiceReading& s : c.services) {
                e.Sample("kelvane_service_rate",
                         {{"row", Row(c.row)},
                          {"channel", Row(c.channel)},
                          {"service", std::to_string(s.id)},
                          {"name", s.name}},
                         std::to_string(s.rate));
            }
        }
    });
}

}  // namespace

std::string PrometheusLabelValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t start = at;
        // The format is UTF-8: a name typed in another encoding must not make the whole file unreadable.
        if (!NextUtf8Character(value, at)) {
            out += "\xEF\xBF\xBD";
            continue;
        }
        const char c = value[start];
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out.append(value.substr(start, at - start));
    }
    return out;
}

std::string PrometheusText(const WatchRound& round) { return PrometheusText(Rounds(&round, 1)); }

std::string PrometheusText(Rounds rounds) {
    Exposition e;
    ModuleFamilies(e, rounds);
    InputFamilies(e, rounds);
    ChannelFamilies(e, rounds);
    e.Family("kelvane_poll_failures_total", "counter",
             "Polls that failed all their tries, and rounds missed while the rack was lost, since watch started.");
    e.EachRack(rounds, [&e](const WatchRound& round) {
        e.Sample("kelvane_poll_failures_total", {}, std::to_string(round.pollFailures));
    });
    e.Family("kelvane_last_round_timestamp_seconds", "gauge",
             "When the last round was made, seconds since 1970 (UTC).");
    e.EachRack(rounds, [&e](const WatchRound& round) {
        e.Sample("kelvane_last_round_timestamp_seconds", {}, std::to_string(static_cast<long long>(round.time)));
    });
    return std::move(e).Text();
}

}  // namespace kelvane
