#include "tools/WatchJson.h"

#include "tools/UtcTime.h"

#include <cstdio>

namespace kelvane {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The length of the UTF-8 sequence starting at `at`, or 0 when it is not one (overlong forms, surrogates and
// code points past U+10FFFF are not).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF) return 0;
    }
    return length;
}

std::string Field(const char* name, const std::string& value) { return std::string("\"") + name + "\":" + value; }
std::string Number(std::uint64_t value) { return std::to_string(value); }
std::string Flag(bool value) { return value ? "true" : "false"; }

std::string ModuleObject(const ModuleReading& m) {
    return "{" + Field("row", Number(static_cast<std::uint64_t>(m.row))) + "," + Field("model", JsonString(m.model)) +
           "," + Field("answering", Flag(m.answered)) + "}";
}

std::string InputObject(const InputReading& i) {
    std::string o = "{" + Field("row", Number(static_cast<std::uint64_t>(i.row))) + "," +
                    Field("model", JsonString(i.model)) + "," + Field("input", JsonString(std::string(1, 'A' + i.input))) +
                    "," + Field("tuned", Flag(i.tuned)) + "," + Field("answering", Flag(i.answered));
    if (i.answered) {
        o += "," + Field("lock", JsonString(LockWord(i.lock))) + "," + Field("lock_state", Number(i.lock)) + "," +
             Field("level", Number(i.level)) + "," + Field("snr", Number(i.snr));
    }
    return o + "," + Field("services", Number(static_cast<std::uint64_t>(i.services))) + "}";
}

std::string ServiceObject(const ServiceReading& s) {
    return "{" + Field("id", Number(s.id)) + "," + Field("name", JsonString(s.name)) + "," + Field("rate", Number(s.rate)) +
           "}";
}

std::string ChannelObject(const ChannelReading& c) {
    std::string o = "{" + Field("row", Number(static_cast<std::uint64_t>(c.row))) + "," +
                    Field("model", JsonString(c.model)) + "," + Field("channel", Number(static_cast<std::uint64_t>(c.channel))) +
                    "," + Field("answering", Flag(c.answered));
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
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += kReplacement;
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out + "\"";
}

std::string WatchJson(const WatchRound& round) {
    const std::string rack = "{" + Field("found", Flag(round.rackFound)) + "," + Field("port", JsonString(round.port)) + "}";
    return "{" + Field("time", JsonString(UtcTimestamp(round.time))) + "," +
           Field("unix_time", std::to_string(static_cast<long long>(round.time))) + "," + Field("rack", rack) + "," +
           Field("modules", Array(round.modules, ModuleObject)) + "," + Field("inputs", Array(round.inputs, InputObject)) +
           "," + Field("channels", Array(round.channels, ChannelObject)) + "," +
           Field("poll_failures", Number(round.pollFailures)) + "," + Field("all_well", Flag(AllWell(round))) + "}";
}

}  // namespace kelvane
