#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvane::sim::test {

// A reply frame read back from line bytes, written here from the frame layout rather than taken from the
// simulator, so that the simulator's encoder is checked against an independent reading.
struct ReplyFrame {
    std::uint8_t destination = 0;
    std::uint8_t source = 0;
    std::uint8_t code = 0;
    std::vector<std::uint8_t> payload;
    bool checksumOk = false;
    std::size_t lineLength = 0;  // bytes of the line the frame took, stuffing included
};

// The frame at the start of `line`, or none when the line holds no complete frame there.
inline std::optional<ReplyFrame> ReadReplyFrame(const std::vector<std::uint8_t>& line) {
    if (line.empty() || line[0] != 0x02) return std::nullopt;
    // Every byte after the start is stuffed, the addresses included, as the PC reads them.
    std::vector<std::uint8_t> bytes;  // destination onwards, unstuffed
    std::size_t i = 1;
    std::size_t need = 4;  // destination, source, code, checksum; grown once the length is known
    while (bytes.size() < need) {
        if (i >= line.size()) return std::nullopt;
        const std::uint8_t b = line[i++];
        if (b == 0x02) {
            if (i >= line.size() || line[i] != 0x02) return std::nullopt;
            ++i;
        }
        bytes.push_back(b);
        const std::uint8_t form = bytes.size() >= 3 ? (bytes[2] & 0x0F) : 0;
        if (bytes.size() == 3) {
            need = form <= 3 ? 4 + form : form == 0x04 ? 5 : 6;
        } else if (bytes.size() == 4 && form == 0x04) {
            need = 5 + bytes[3];
        } else if (bytes.size() == 5 && form == 0x08) {
            need = 6 + (std::size_t{bytes[3]} << 8) + bytes[4];
        }
    }
    ReplyFrame frame;
    frame.destination = bytes[0];
    frame.source = bytes[1];
    frame.code = bytes[2];
    const std::size_t lengthBytes = (frame.code & 0x0F) == 0x04 ? 1 : (frame.code & 0x0F) == 0x08 ? 2 : 0;
    frame.payload.assign(bytes.begin() + 3 + static_cast<std::ptrdiff_t>(lengthBytes), bytes.end() - 1);
    std::uint8_t sum = 0;
    for (std::size_t k = 2; k < bytes.size(); ++k) sum ^= bytes[k];
    frame.checksumOk = sum == 0;
    frame.lineLength = i;
    return frame;
}

}  // namespace kelvane::sim::test
