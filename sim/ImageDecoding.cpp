#include "sim/ImageDecoding.h"

#include "sim/ConfigImages.h"

#include <algorithm>
#include <cstddef>

namespace kelvane::sim {
namespace {

constexpr std::size_t kMaxTextLength = 255;

// Reads big-endian fields and stops for good at the end of the image.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Has(std::size_t n) const { return bytes_.size() - pos_ >= n; }
    std::size_t Position() const { return pos_; }
    void Skip(std::size_t n) { pos_ += std::min(n, bytes_.size() - pos_); }
    std::optional<std::uint8_t> U8() {
        if (!Has(1)) return std::nullopt;
        return bytes_[pos_++];
    }
    std::optional<std::uint16_t> U16() {
        if (!Has(2)) return std::nullopt;
        const auto value = static_cast<std::uint16_t>(bytes_[pos_] << 8 | bytes_[pos_ + 1]);
        pos_ += 2;
        return value;
    }
    std::uint8_t At(std::size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
    // A NUL-terminated text; none when the image ends before its terminator.
    std::optional<std::string> Text() {
        std::string text;
        while (Has(1)) {
            const std::uint8_t c = bytes_[pos_++];
            if (c == 0) return text;
            if (text.size() < kMaxTextLength) text.push_back(static_cast<char>(c));
        }
        return std::nullopt;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

DecodedInputRow ReadInputRow(Cursor& in) {
    DecodedInputRow row;
    const auto word = in.U16();
    const auto symbolRate = in.U16();
    const auto setting = in.U8();
    if (!word || !symbolRate || !setting) return row;
    row.tuning = InputTuning{InputFrequencyMHz(*word), *symbolRate, *setting};
    const std::uint8_t n = in.U8().value_or(0);
    for (std::uint8_t i = 0; i < n; ++i) {
        const auto id = in.U16();
        if (!id) break;
        row.services.push_back({*id, 0});
    }
    // The CAM bytes follow all n ids; an image cut short among them leaves the rest at 0.
    const std::size_t cams = in.Position() + 2 * (n - row.services.size());
    for (std::size_t i = 0; i < row.services.size(); ++i) row.services[i].cam = in.At(cams + i);
    in.Skip(2 * (n - row.services.size()) + n);
    return row;
}

DecodedPlayerTail ReadPlayerTail(Cursor& in) {
    DecodedPlayerTail tail;
    tail.serviceId = in.U16();
    const std::uint8_t entries = in.U8().value_or(0);
    for (std::uint8_t e = 0; e < entries && in.Has(8); ++e) {
        in.Skip(8);  // start and end minutes
        const auto file = in.Text();
        if (!file) return tail;
        tail.scheduledFiles.push_back(*file);
    }
    if (!in.U8()) return tail;  // rate index
    tail.serviceName = in.Text().value_or("");
    return tail;
}

}  // namespace

DecodedInput DecodeInputImage(std::uint8_t type, std::span<const std::uint8_t> image) {
    DecodedInput input;
    Cursor in(image);
    for (int r = 0; r < InputRowCount(type); ++r) input.rows.push_back(ReadInputRow(in));
    if (type == kKXC300) input.player = ReadPlayerTail(in);
    return input;
}

DecodedOutput DecodeOutputImage(std::uint8_t type, std::span<const std::uint8_t> image) {
    DecodedOutput output;
    Cursor in(image);
    if (!in.Has(kModulationBytes)) return output;
    in.Skip(2);
    Modulation m;
    m.bandwidth = *in.U8();
    m.codeRate = *in.U8();
    m.constellation = *in.U8();
    in.Skip(1);  // transmission mode: the same useful rate in 2K and 8K
    m.guard = *in.U8();
    in.Skip(1);  // level
    output.modulation = m;

    const bool oneChannel = OutputChannelCount(type) == 1;
    const std::uint8_t n = in.U8().value_or(0);
    for (std::uint8_t i = 0; i < n; ++i) {
        const auto id = in.U16();
        if (!id) break;
        std::uint8_t channel = 1;  // a KXD400 carries every service on its one channel
        if (!oneChannel) {
            const auto flags = in.U8();
            if (!flags) break;
            channel = *flags & kChannelBits;
        }
        output.services.push_back({*id, channel});
    }
    return output;
}

}  // namespace kelvane::sim
