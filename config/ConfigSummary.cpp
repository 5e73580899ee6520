#include "config/ConfigSummary.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "config/ImageFields.h"
#include "config/OutputLevel.h"
#include "link/ReplyText.h"
#include "text/ControlCharacters.h"

#include <algorithm>
#include <array>

namespace kelvane {
namespace {

constexpr const char* kLineEnd = "\r\n";

constexpr std::array<const char*, 3> kConstellations{"QPSK - ", "16-QAM - ", "64-QAM - "};
constexpr std::array<const char*, 2> kModes{"2K - ", "8K - "};
constexpr std::array<const char*, 3> kBandwidths{"6 MHz - ", "7 MHz - ", "8 MHz - "};
constexpr std::array<const char*, 5> kCodeRates{"F.E.C. 1/2 - ", "F.E.C. 2/3 - ", "F.E.C. 3/4 - ", "F.E.C. 5/6 - ",
                                                "F.E.C. 7/8 - "};
constexpr std::array<const char*, 4> kGuardIntervals{" 1/32)\r\n", " 1/16)\r\n", " 1/8)\r\n", " 1/4)\r\n"};

constexpr std::size_t kOutputHeader = 7;  // frequency and the five modulation bytes

template <std::size_t N>
const char* Named(const std::array<const char*, N>& names, std::uint8_t index) {
    return index < N ? names[index] : "";
}

std::string Line(int message, std::initializer_list<FormatArg> args) {
    return FormatText(MessageText(message), args) + kLineEnd;
}

std::string SlotPrefix(std::size_t row) { return FormatText(MessageText(kSummarySlotText), {row}); }

// Hours and minutes of a time counted in minutes of the day.
std::string ClockTime(std::uint32_t minutes) { return FormatText("%02d:%02d", {minutes / 60, minutes % 60}); }

// One input block (a tuner row, or row A, B or C of the KXC300) from `offset`; the offset of the next block,
// or nothing when the image ends before this one does.
std::optional<std::size_t> DescribeBlock(std::string& text, std::size_t row, const SlotRecord& record,
                                         std::size_t block, std::size_t offset) {
    const ImageFields image(ValidImage(record));
    if (!image.Holds(offset, 1)) return std::nullopt;
    const bool player = record.Type == kPlayerType;
    text += player ? std::string("Sat. : ") + static_cast<char>('A' + block) + kLineEnd : SlotPrefix(row) + kLineEnd;
    const bool tuned = !player || block < 2;
    const auto frequency = image.U16(offset);
    if (tuned && frequency) text += Line(kBisFrequencyLine, {*frequency & 0x7FFF});
    if (const auto rate = image.U16(offset + 2); tuned && rate) text += Line(kSymbolRateLine, {*rate});
    if (player && tuned && frequency)
        text += Line(kBandLine, {MessageText((*frequency & 0x8000) ? kHighText : kLowText)});
    if (const auto setting = image.U8(offset + 4); player && tuned && setting) {
        text += Line(kPolarityLine, {MessageText((*setting & 0x80) ? kHorizontalText : kVerticalText)});
    }
    const auto count = image.U8(offset + kInputRowCountOffset);
    if (!count) return std::nullopt;
    const std::size_t n = *count;
    if (n != 0) {
        text += MessageText(player ? kActivationOfLine : kDecryptionOnLine);
        for (std::size_t k = 0; k < n; ++k) {
            const auto id = image.U16(offset + kInputRowHeader + 2 * k);
            const auto cam = image.U8(offset + kInputRowHeader + 2 * n + k);
            if (!id || !cam) break;
            text += FormatText("%s %d(%d) ", {k == 0 ? "" : "-", *id, *cam});
        }
        text += kLineEnd;
    }
    return offset + InputRowSize(n);
}

// The schedule that follows the three blocks of a KXC300 image, from `offset`.
void DescribeSchedule(std::string& text, const SlotRecord& record, std::size_t offset) {
    const auto bytes = ValidImage(record);
    const ImageFields image(bytes);
    const auto played = image.U16(offset);
    const auto count = image.U8(offset + 2);
    if (!played || !count || *count == 0) return;
    text += Line(kMoviesPlayedLine, {*played});
    std::size_t at = offset + 3;
    for (std::size_t k = 0; k < *count; ++k) {
        const auto start = image.U32(at);
        const auto end = image.U32(at + 4);
        if (!start || !end) return;
        at += 8;
        std::string name;
        const bool ended = ReadReplyText(name, bytes, at);
        text += ClockTime(*start) + " - " + ClockTime(*end) + " " + TerminalText(name) + kLineEnd;
        if (!ended) return;
    }
}

void DescribeInput(std::string& text, std::size_t row, const SlotRecord& record) {
    const std::size_t blocks = record.Type == kPlayerType ? kPlayerInputRows : 1;
    std::size_t offset = 0;
    for (std::size_t block = 0; block < blocks; ++block) {
        const std::optional<std::size_t> next = DescribeBlock(text, row, record, block, offset);
        if (!next) return;
        offset = *next;
    }
    if (record.Type == kPlayerType) DescribeSchedule(text, record, offset);
}

void DescribeModulation(std::string& text, const ImageFields& image) {
    if (!image.Holds(0, kOutputHeader)) return;
    text += FormatText(MessageText(kFrequencyLine), {*image.U16(0) / 8});
    text += Named(kConstellations, *image.U8(4));
    text += Named(kModes, *image.U8(5));
    text += Named(kBandwidths, *image.U8(2));
    text += Named(kCodeRates, *image.U8(3));
    text += MessageText(kGuardIntervalText);
    text += Named(kGuardIntervals, *image.U8(6));  // a guard byte outside the list leaves the line open
}

// One service entry: its flags and id, then its LCN and HD LCN when it has any.
std::string ServiceEntry(std::uint8_t flags, std::uint16_t id, std::uint16_t lcn, std::uint16_t hdLcn) {
    std::string entry = FormatText(" %x:%d ", {flags, id});
    if (lcn == 0 && hdLcn == 0) return entry;
    entry += "(";
    if (lcn != 0) entry += FormatText("SD%d ", {lcn});
    if (hdLcn != 0) entry += FormatText("HD%d ", {hdLcn});
    return entry + ")";
}

void DescribeServices(std::string& text, const SlotRecord& record, const ImageFields& image) {
    const auto count = image.U8(kServiceCountOffset);
    if (!count) return;
    const std::size_t n = *count;
    const bool single = record.Type == kSingleChannelOutputType;
    const std::size_t width = single ? 2 : 3;
    // The KXD400 keeps a marker and its activation mask between the entries and the LCNs.
    const std::size_t lcnTable = kFirstEntryOffset + width * n + (single ? 3 : 0);
    text += MessageText(kSummaryServicesText);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t entry = kFirstEntryOffset + width * k;
        const auto id = image.U16(entry);
        const auto flags = single ? std::optional<std::uint8_t>(1) : image.U8(entry + 2);
        if (!id || !flags) break;
        if (k != 0) text += "-";
        text += ServiceEntry(*flags, *id, image.U16(lcnTable + 2 * k).value_or(0),
                             image.U16(lcnTable + 2 * n + 2 * k).value_or(0));
    }
    text += kLineEnd;
}

void DescribeOutput(std::string& text, const SlotRecord& record) {
    const ImageFields image(ValidImage(record));
    DescribeModulation(text, image);
    if (const auto level = image.U8(kOutputLevelOffset))
        text +=
            FormatText(MessageText(kSummaryAttenuationText), {LevelStepOfByte(*level) - kLevelStepCount}) + kLineEnd;
    DescribeServices(text, record, image);
}

}  // namespace

bool ConfigMatches(const SlotTable& slots, const LoadedConfig& loaded) {
    if (loaded.LoadedCount != slots.ModuleCount || loaded.LoadedCount > kSlotCount) return false;
    for (std::size_t k = 0; k < loaded.LoadedCount; ++k) {
        if (loaded.LoadedTable[k].Type != slots[k].Type) return false;
    }
    return true;
}

std::string DescribeRecord(std::size_t row, const SlotRecord& record) {
    std::string text = SlotPrefix(row) + ModuleTypeName(record.Type) + kLineEnd;
    if (IsInputType(record.Type)) {
        DescribeInput(text, row, record);
    } else if (IsOutputType(record.Type)) {
        DescribeOutput(text, record);
    } else {
        text += MessageText(kNoConfigurationLine) + kLineEnd;
    }
    return text;
}

std::string ConfigSummaryText(const SlotTable& slots, const LoadedConfig& loaded) {
    std::string text = MessageText(ConfigMatches(slots, loaded) ? kConfigMatchesMessage : kConfigDoesNotMatchMessage);
    text += std::string(kLineEnd) + kLineEnd + MessageText(kShortDescriptionText) + kLineEnd;
    for (std::size_t row = 0; row < std::min<std::size_t>(loaded.LoadedCount, kSlotCount); ++row) {
        text += DescribeRecord(row, loaded.LoadedTable[row]) + kLineEnd;
    }
    return text;
}

}  // namespace kelvane
