#include "panel/InputConfigCodec.h"

#include "app/ModuleTypes.h"
#include "config/ImageFields.h"
#include "link/ReplyText.h"
#include "panel/ImageBytes.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr int kLowBandLoMHz = 9750;
constexpr int kHighBandLoMHz = 10600;
constexpr int kHighBandStartMHz = 11700;
constexpr std::uint16_t kHighBandBit = 0x8000;
constexpr int kFecCodeOffset = 14;
constexpr std::uint8_t kPolarityBit = 0x80;
constexpr std::uint8_t kCamBeyondImage = 1;

int DecodeFrequency(std::uint16_t word) {
    const int intermediate = word & 0x7FFF;
    return (word & kHighBandBit) != 0 ? intermediate + kHighBandLoMHz : intermediate + kLowBandLoMHz;
}

std::uint16_t EncodeFrequency(int mhz) {
    if (mhz < kHighBandStartMHz) return static_cast<std::uint16_t>(mhz - kLowBandLoMHz);
    return static_cast<std::uint16_t>(kHighBandBit | static_cast<std::uint16_t>(mhz - kHighBandLoMHz));
}

// Reads one row at `position` and returns the position of what follows it.
std::size_t DecodeRow(const ByteReader& image, std::size_t position, bool player, int row, PanelModel& m) {
    m.InputFreqMHz[row] = DecodeFrequency(image.U16(position));
    m.InputSymbolRate[row] = image.U16(position + 2);
    const std::uint8_t fecOrPolarity = image.U8(position + 4);
    m.InputFecOrPolarity[row] = player ? (fecOrPolarity & kPolarityBit) >> 7 : fecOrPolarity - kFecCodeOffset;

    const std::size_t count = image.U8(position + kInputRowCountOffset);
    const std::size_t ids = position + kInputRowHeader;
    const std::size_t cams = ids + 2 * count;
    InputServiceTable& table = m.InputServices[row];
    table.count = 0;
    for (std::size_t k = 0; k < count && table.count < kMaxServicesPerRow && image.Has(ids + 2 * k, 2); ++k) {
        InputService& service = table.entries[table.count++];
        service.ServiceId = image.U16(ids + 2 * k);
        service.Cam = image.Has(cams + k, 1) ? image.U8(cams + k) : kCamBeyondImage;
    }
    return position + InputRowSize(count);
}

// Reads one schedule entry at `position` into `entry` (when given) and returns the position after it.
std::size_t DecodeScheduleEntry(const ByteReader& image, std::size_t position, ScheduleEntry* entry) {
    const std::uint32_t start = image.U32(position);
    const std::uint32_t end = image.U32(position + 4);
    std::string file;
    position = std::min(position + 8, image.Size());
    ReadReplyText(file, image.Bytes(), position);
    if (entry != nullptr) *entry = {start, end, std::move(file)};
    return position;
}

void DecodePlayerTail(const ByteReader& image, std::size_t position, PanelModel& m) {
    if (position >= image.Size()) return;
    m.PlayerServiceId = image.U16(position);
    position += 2;

    if (position >= image.Size()) return;
    const int announced = image.U8(position++);
    for (int i = 0; i < announced && position < image.Size(); ++i) {
        ScheduleEntry* kept = m.ScheduleCount < kMaxScheduleEntries ? &m.Schedule[m.ScheduleCount++] : nullptr;
        position = DecodeScheduleEntry(image, position, kept);
    }

    if (position >= image.Size()) return;
    m.PlayerRateIndex = image.U8(position++);

    if (position >= image.Size()) return;
    ReadReplyText(m.PlayerServiceName, image.Bytes(), position);
}

void EncodeRow(const PanelModel& m, int row, bool player, ImageWriter& out) {
    out.U16(EncodeFrequency(m.InputFreqMHz[row]));
    out.U16(static_cast<std::uint16_t>(m.InputSymbolRate[row]));
    const int choice = m.InputFecOrPolarity[row];
    out.U8(static_cast<std::uint8_t>(player ? choice * 128 : choice + kFecCodeOffset));

    const InputServiceTable& table = m.InputServices[row];
    const int count = std::clamp(table.count, 0, kMaxServicesPerRow);
    out.U8(static_cast<std::uint8_t>(count));
    for (int k = 0; k < count; ++k) out.U16(static_cast<std::uint16_t>(table.entries[k].ServiceId));
    for (int k = 0; k < count; ++k) out.U8(table.entries[k].Cam);
}

void EncodePlayerTail(const PanelModel& m, ImageWriter& out) {
    out.U16(static_cast<std::uint16_t>(m.PlayerServiceId));
    const int count = std::clamp(m.ScheduleCount, 0, kMaxScheduleEntries);
    out.U8(static_cast<std::uint8_t>(count));
    for (int i = 0; i < count; ++i) {
        out.U32(m.Schedule[i].start);
        out.U32(m.Schedule[i].end);
        out.Text(m.Schedule[i].file);
    }
    out.U8(static_cast<std::uint8_t>(m.PlayerRateIndex));
    out.Text(m.PlayerServiceName);
}

}  // namespace

int InputRowsOfType(std::uint8_t inputType) { return inputType == kPlayerType ? kMaxInputRows : 1; }

void DecodeInputConfig(const SlotRecord& input, PanelModel& m) {
    const ByteReader image(ValidImage(input));
    const bool player = input.Type == kPlayerType;
    for (InputServiceTable& table : m.InputServices) table.count = 0;
    m.PlayerServiceId = 0;
    m.ScheduleCount = 0;
    m.PlayerRateIndex = 0;
    m.PlayerServiceName.clear();

    std::size_t position = 0;
    for (int row = 0; row < InputRowsOfType(input.Type); ++row) position = DecodeRow(image, position, player, row, m);
    if (player) DecodePlayerTail(image, position, m);
}

bool EncodeInputConfig(const PanelModel& m, SlotRecord& input) {
    const bool player = input.Type == kPlayerType;
    ImageWriter out;
    for (int row = 0; row < InputRowsOfType(input.Type); ++row) EncodeRow(m, row, player, out);
    if (player) EncodePlayerTail(m, out);
    return out.StoreInto(input);
}

}  // namespace kelvane
