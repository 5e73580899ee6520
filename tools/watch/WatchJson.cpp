#include "tools/watch/WatchJson.h"

#include "text/Utf8.h"
#include "tools/common/UtcTime.h"

#include <cstdio>
#include <optional>

namespace kelvane {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::string Field(const char* name, const std::string& value) { return std::string("\"") + name + "\":" + value; }
std::string Number(std::uint64_t value) { return std::to_string(value); }
std::string Flag(bool value) { return value ? "true" : "false"; }

std::string ModuleObject(const ModuleReading& m) {
    return "{" + Field("row", Number(static_cast<std::uint64_t>(m.row))) + "," + Field("model", JsonString(m.model)) +
           "," + Field("answering", Flag(m.answered)) + "}";
}

std::string InputObject(const InputReading& i) {
    std::string o = "{" + Field("row", Number(static_cast<std::uint64_t>(i.row))) + "," +
                    Field("model", JsonString(i.model)) + "," +
                    Field("input", JsonString(std::string(1, 'A' + i.input))) + "," + Field("tuned", Flag(i.tuned)) +
                    "," + Field("answering", Flag(i.answered));
    if (i.answered) {
        o += "," + Field("lock", JsonString(LockWord(i.lock))) + "," + Field("lock_state", Number(i.lock)) + "," +
             Field("level", Number(i.level)) + "," + Field("snr", Number(i.snr));
    }
    return o + "," + Field("services", Number(static_cast<std::uint64_t>(i.services))) + "}";
}

std::string ServiceObject(const ServiceReading& s) {
    return "{" + Field("id", Number(s.id)) + "," + Field("name", JsonString(s.name)) + "," +
           Field("rate", Number(s.rate)) + "}";
}

std::string ChannelObject(const ChannelReading& c) {
    std::string o = "{" + Field("row", Number(static_cast<std::uint64_t>(c.row))) + "," +
                    Field("model", JsonString(c.model)) + "," +
                    Field("channel", Number(static_cast<std::uint64_t>(c.channel))) + "," +
                    Field("answering", Flag(c.answered));
    if (c.answered) {
        o += "," + Field("bitrate_bps", Number(c.inUse)) + "," + Field("capacity_bps", Number(c.capacity)) + "," +
             Field("bitrate_kbps", Number(c.inUse / 1000)) + "," + Field("capacity_kbps", Number(c.capacity / 1000)) +
             "," + Field("over_capacity", Flag(OverCapacity(c)));
    }
    std::string services;
    for (const ServiceReading& s : c.services) services += (services.empty() ? "" : ",") + ServiceObject(s);
    return o + "," + Field("services", "[" + services + "]") + "}";
}

template <typename Item, typename Write>
std::string Array(const std::vector<Item>& items, Write write) {
    std::string text;
    for (const Item& item : items) text += (text.empty() ? "" : ",") + write(item);
    return "[" + text + "]";
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const std::optional<char32_t> c = NextUtf8Character(text, at);
        if (!c) {
            out += kReplacement;
        } else if (*c == '"' || *c == '\\') {
            out += '\\';
            out += static_cast<char>(*c);
        } else if (*c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(*c));
            out += escaped;
        } else {
            out.append(text.substr(start, at - start));
        }
    }
    return out + "\"";
}

std::string WatchJson(const WatchRound& round) {
    const std::string rack = "{" + Field("name", JsonString(round.rack)) + "," + Field("found", Flag(round.rackFound)) +
                             "," + Field("in_use", Flag(round.inUse)) + "," + Field("port", JsonString(round.port)) +
                             "}";
    return "{" + Field("time", JsonString(UtcTimestamp(round.time))) + "," +
           Field("unix_time", std::to_string(static_cast<long long>(round.time))) + "," + Field("rack", rack) + "," +
           Field("modules", Array(round.modules, ModuleObject)) + "," +
           Field("inputs", Array(round.inputs, InputObject)) + "," +
           Field("channels", Array(round.channels, ChannelObject)) + "," +
           Field("poll_failures", Number(round.pollFailures)) + "," + Field("all_well", Flag(AllWell(round))) + "}";
}

}  // namespace kelvane
