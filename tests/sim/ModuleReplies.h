#pragma once

#include "sim/Frame.h"
#include "sim/Module.h"
#include "tests/sim/ImageReader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim::test {

// The payload a module gives to a request without payload, or none when it refuses.
inline std::optional<std::vector<std::uint8_t>> Ask(Module& module, std::uint8_t command) {
    const Reply reply = module.Handle(Request{module.Address(), kPcAddress, command, {}});
    if (!reply.accepted) return std::nullopt;
    return reply.payload;
}

// The service-names reply of an input, read from its layout: per row a count n; when n > 0, n × {u16 id,
// name bytes up to a NUL}, n flags bytes and two u16 words.
struct AnnouncedRead {
    std::uint16_t id = 0;
    std::string name;
    std::uint8_t flags = 0;

    bool Television() const { return (flags & 0x01) != 0; }
    bool Scrambled() const { return (flags & 0x02) != 0; }
};

struct NamesRowRead {
    std::vector<AnnouncedRead> services;
    std::uint16_t firstWord = 0;
    std::uint16_t secondWord = 0;
};

struct NamesReplyRead {
    std::vector<NamesRowRead> rows;
    bool exact = false;  // every byte belongs to a row and no row runs past the end
};

inline NamesReplyRead ReadNamesReply(std::span<const std::uint8_t> bytes, int rows) {
    NamesReplyRead reply;
    ImageReader in(bytes);
    for (int r = 0; r < rows; ++r) {
        NamesRowRead row;
        row.services.resize(in.U8());
        if (!row.services.empty()) {
            for (AnnouncedRead& s : row.services) {
                s.id = in.U16();
                s.name = in.Text();
            }
            for (AnnouncedRead& s : row.services) s.flags = in.U8();
            row.firstWord = in.U16();
            row.secondWord = in.U16();
        }
        reply.rows.push_back(std::move(row));
    }
    reply.exact = in.AtEnd() && !in.overrun;
    return reply;
}

// The rate reply of an output: C blocks of 12 bytes from offset 4, then {u16 id, u16 rate} pairs.
struct ChannelRead {
    std::uint32_t inUse = 0;
    std::uint32_t capacity = 0;
};

struct RatePair {
    std::uint16_t id = 0;
    std::uint16_t rate = 0;
};

struct RatesRead {
    std::vector<ChannelRead> channels;
    std::vector<RatePair> pairs;
    bool exact = false;  // the pairs fill the rest of the reply exactly
};

inline RatesRead ReadRates(std::span<const std::uint8_t> bytes, int blocks) {
    RatesRead rates;
    ImageReader in(bytes);
    in.Bytes(4);
    for (int k = 0; k < blocks; ++k) {
        ChannelRead channel;
        channel.inUse = in.U32();
        channel.capacity = in.U32();
        in.U32();
        rates.channels.push_back(channel);
    }
    const bool headerFits = !in.overrun;
    while (!in.AtEnd() && !in.overrun) {
        RatePair pair;
        pair.id = in.U16();
        pair.rate = in.U16();
        rates.pairs.push_back(pair);
    }
    rates.exact = headerFits && !in.overrun;
    return rates;
}

}  // namespace kelvane::sim::test
