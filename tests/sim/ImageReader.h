#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim::test {

// Reads big-endian fields off an image, written from the byte layouts alone so that the simulator's builders
// are checked against an independent reading. Reading past the end sets `overrun` and yields zeros.
class ImageReader {
public:
    explicit ImageReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t U8() {
        if (pos_ >= bytes_.size()) {
            overrun = true;
            return 0;
        }
        return bytes_[pos_++];
    }
    std::uint16_t U16() {
        const std::uint8_t high = U8();
        return static_cast<std::uint16_t>((high << 8) | U8());
    }
    std::uint32_t U32() {
        const std::uint16_t high = U16();
        return (std::uint32_t{high} << 16) | U16();
    }
    std::string Text() {
        std::string text;
        for (std::uint8_t c = U8(); c != 0 && !overrun; c = U8()) text += static_cast<char>(c);
        return text;
    }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < n; ++i) out.push_back(U8());
        return out;
    }

    std::size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    bool overrun = false;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// CRC-32 of MPEG-2 sections, bit by bit.
inline std::uint32_t SectionCrc(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) {
        crc ^= std::uint32_t{b} << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

struct InputRowRead {
    int frequencyMHz = 0;
    std::uint16_t symbolRate = 0;
    std::uint8_t setting = 0;
    std::vector<std::uint16_t> ids;
    std::vector<std::uint8_t> cams;
};

inline InputRowRead ReadInputRow(ImageReader& in) {
    InputRowRead row;
    const std::uint16_t word = in.U16();
    row.frequencyMHz = (word & 0x7FFF) + 9750 + ((word & 0x8000) ? 850 : 0);
    row.symbolRate = in.U16();
    row.setting = in.U8();
    const std::uint8_t n = in.U8();
    for (int i = 0; i < n; ++i) row.ids.push_back(in.U16());
    for (int i = 0; i < n; ++i) row.cams.push_back(in.U8());
    return row;
}

struct OutputServiceRead {
    std::uint16_t id = 0;
    int channel = 1;
    bool activated = false;
    std::uint16_t lcn = 0;
    std::uint16_t hdLcn = 0;
};

struct OutputRead {
    std::uint32_t frequencyKHz = 0;
    std::uint8_t bandwidth = 0, codeRate = 0, constellation = 0, mode = 0, guard = 0, level = 0;
    std::vector<OutputServiceRead> services;
    std::uint16_t networkId = 0;
    std::vector<std::uint16_t> streamIds;
    std::vector<std::uint8_t> section;
    std::uint8_t removeCatEmm = 0;
    bool zerosAfterLength = false;
};

// `oneChannel`: the KXD400 layout (ids only, then 0xFF and an activation mask, one stream id).
inline OutputRead ReadOutput(ImageReader& in, bool oneChannel) {
    OutputRead o;
    o.frequencyKHz = in.U16() * 125u;
    for (std::uint8_t* field : {&o.bandwidth, &o.codeRate, &o.constellation, &o.mode, &o.guard, &o.level})
        *field = in.U8();
    o.services.resize(in.U8());
    for (auto& s : o.services) {
        s.id = in.U16();
        if (!oneChannel) {
            const std::uint8_t flags = in.U8();
            s.activated = (flags & 0x80) != 0;
            s.channel = flags & 0x0F;
        }
    }
    if (oneChannel && in.U8() == 0xFF) {
        const std::uint16_t mask = in.U16();
        for (std::size_t k = 0; k < o.services.size(); ++k) o.services[k].activated = k < 16 && ((mask >> k) & 1);
    }
    for (auto& s : o.services) s.lcn = in.U16();
    for (auto& s : o.services) s.hdLcn = in.U16();
    o.networkId = in.U16();
    for (int k = 0; k < (oneChannel ? 1 : 4); ++k) o.streamIds.push_back(in.U16());
    const std::uint16_t sPlus2 = in.U16();
    o.zerosAfterLength = in.U16() == 0;
    o.section = in.Bytes(sPlus2 >= 2 ? sPlus2 - 2u : 0u);
    o.removeCatEmm = in.U8();
    return o;
}

struct DescriptorRead {
    std::uint8_t tag = 0;
    std::vector<std::uint8_t> body;
};

struct StreamRead {
    std::uint16_t streamId = 0;
    std::uint16_t originalNetworkId = 0;
    std::vector<DescriptorRead> descriptors;
};

struct SectionRead {
    std::uint8_t tableId = 0;
    std::uint16_t networkId = 0;
    int version = 0;
    std::string name;
    std::vector<StreamRead> streams;
    bool lengthsAgree = false;  // section length, descriptor loop and stream loop lengths all fit the bytes
    bool crcOk = false;  // the CRC step over the whole section, CRC included, yields 0
};

inline std::vector<DescriptorRead> ReadDescriptors(ImageReader& in, std::size_t length, bool& fits) {
    std::vector<DescriptorRead> found;
    const std::size_t end = in.Position() + length;
    while (in.Position() < end && !in.overrun) {
        DescriptorRead d;
        d.tag = in.U8();
        d.body = in.Bytes(in.U8());
        found.push_back(std::move(d));
    }
    fits = fits && in.Position() == end;
    return found;
}

inline SectionRead ReadSection(std::span<const std::uint8_t> bytes) {
    SectionRead s;
    ImageReader in(bytes);
    s.tableId = in.U8();
    const std::size_t sectionLength = in.U16() & 0x0FFF;
    s.networkId = in.U16();
    s.version = (in.U8() >> 1) & 31;
    in.U16();  // section numbers
    bool fits = sectionLength + 3 == bytes.size();
    const std::vector<DescriptorRead> network = ReadDescriptors(in, in.U16() & 0x0FFF, fits);
    for (const DescriptorRead& d : network) {
        if (d.tag == 0x40) s.name.assign(d.body.begin(), d.body.end());
    }
    const std::size_t loopLength = in.U16() & 0x0FFF;
    const std::size_t loopEnd = in.Position() + loopLength;
    while (in.Position() < loopEnd && !in.overrun) {
        StreamRead stream;
        stream.streamId = in.U16();
        stream.originalNetworkId = in.U16();
        stream.descriptors = ReadDescriptors(in, in.U16() & 0x0FFF, fits);
        s.streams.push_back(std::move(stream));
    }
    s.lengthsAgree = fits && in.Position() == loopEnd && loopEnd + 4 == bytes.size() && !in.overrun;
    s.crcOk = SectionCrc(bytes) == 0;
    return s;
}

}  // namespace kelvane::sim::test
