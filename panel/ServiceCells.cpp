#include "panel/ServiceCells.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "panel/ServiceList.h"

namespace kelvane {
namespace {

ui::ListCell Image(int image) { return {"", image}; }

ui::ListCell NumberUnlessZero(std::uint16_t value, const ServiceRow& row) {
    if (value == 0 || row.OutputChannel == 0) return {};
    return {FormatText("%d", {value}), ui::kNoImage};
}

ui::ListCell CamCell(const PanelModel& m, const ServiceRow& row, int cam) {
    if (m.CamCount < cam) return Image(kNotApplicableImage);
    return Image(row.Cam == cam ? kCamSelectedImage : kNotSelectedImage);
}

ui::ListCell ChannelCell(const PanelModel& m, const ServiceRow& row, int channel) {
    if (channel == 1 && !HasOutput(m) && row.Source == kPlayerSource && IsPlayerService(m, row)) {
        return Image(kChannelSelectedImage);
    }
    if (channel > 1 && m.OutputChannelCount < channel) return Image(kNotApplicableImage);
    return Image(row.OutputChannel == channel ? kChannelSelectedImage : kChannelNotSelectedImage);
}

ui::ListCell KindCell(const ServiceRow& row) {
    if (row.ServiceKind == kTelevision) return Image(kTelevisionImage);
    if (row.ServiceKind == kRadio) return Image(kRadioImage);
    return {};
}

ui::ListCell SourceCell(const ServiceRow& row) {
    if (row.Source > kPlayerSource) return {"?", ui::kNoImage};
    return {std::string(1, static_cast<char>('A' + row.Source)), ui::kNoImage};
}

ui::ListCell ShareCell(const PanelModel& m, const ServiceRow& row) {
    if (InputRows(m) == 1) return Image(kNotApplicableImage);
    return Image(IsPlayerService(m, row) ? kPlayImage : kNotSelectedImage);
}

}  // namespace

ui::ListCell ServiceCell(const PanelModel& m, const ServiceRow& row, int column) {
    switch (column) {
    case 1: return ShareCell(m, row);
    case 2: return SourceCell(row);
    case 3: return {FormatText("%d", {row.ServiceId}), ui::kNoImage};
    case 4: return {row.Name, ui::kNoImage};
    case 5: return KindCell(row);
    case 6: return Image(row.Scrambled != 0 ? kClosedPadlockImage : kOpenPadlockImage);
    case kLcnColumn: return NumberUnlessZero(row.Lcn, row);
    case kHdLcnColumn: return NumberUnlessZero(row.HdLcn, row);
    default: break;
    }
    if (column >= kFirstCamColumn && column <= kLastCamColumn) return CamCell(m, row, column - 6);
    if (column >= kFirstChannelColumn && column <= kLastChannelColumn) return ChannelCell(m, row, column - 10);
    return {};
}

std::string ServiceCellTip(const ui::ListCell& cell, int column) {
    const bool cam = column >= kFirstCamColumn && column <= kLastCamColumn;
    const bool channel = column >= kFirstChannelColumn && column <= kLastChannelColumn;
    const int number = cam ? column - kFirstCamColumn + 1 : column - kFirstChannelColumn + 1;
    switch (cell.image) {
    case kTelevisionImage: return MessageText(kTelevisionTip);
    case kRadioImage: return MessageText(kRadioTip);
    case kClosedPadlockImage: return MessageText(kScrambledTip);
    case kOpenPadlockImage: return MessageText(kFreeToAirTip);
    case kCamSelectedImage: return FormatText(MessageText(kCamChosenTip), {number});
    case kChannelSelectedImage: return channel ? FormatText(MessageText(kOnChannelTip), {number}) : "";
    case kChannelNotSelectedImage: return FormatText(MessageText(kNotOnChannelTip), {number});
    case kNotSelectedImage: return cam ? FormatText(MessageText(kCamNotChosenTip), {number}) : "";
    default: return {};
    }
}

ui::Color ServiceRowColor(const ServiceRow& row) {
    switch (row.Source) {
    case 0: return {0, 0, 128};
    case 1: return {0, 64, 0};
    case 2: return {64, 0, 0};
    default: return {160, 160, 160};
    }
}

}  // namespace kelvane
