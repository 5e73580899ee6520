// The module panel's service list: names from the input, the rows on screen, and the operator's choices.

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "config/ChainEdits.h"
#include "panel/SatCofdm.h"
#include "panel/ServiceCells.h"
#include "panel/ServiceList.h"
#include "panel/StatusReplies.h"
#include "res/ModulePanelIds.h"
#include "res/Templates.h"
#include "widgets/Info.h"

#include <utility>

namespace kelvane {
namespace {

using namespace res::panel;

constexpr ui::Color kCaptionBandColor{58, 67, 80};
constexpr std::uint32_t kHintShowMs = 2000;

const std::vector<ui::ListColumn>& ServiceColumns() {
    static const std::vector<ui::ListColumn> columns{
        {"VOID", 1}, {"SHARE", 19}, {"FROM", 19}, {"SID", 50}, {"NAME", 137},  {" ", 20},
        {" ", 20},   {"C1", 19},    {"C2", 19},   {"C3", 19},  {"C4", 19},     {"On1", 19},
        {"On2", 19}, {"On3", 19},   {"On4", 19},  {"LCN", 50}, {"HD_LCN", 50}, {"R.U.F.", 110}};
    return columns;
}

const ui::ImageList& ServiceImages() {
    static const ui::ImageList images{{16, 16}, {171, 172, 173, 174, 175, 176, 177, 178, 198, 203}};
    return images;
}

}  // namespace

void CSatCofdm::InitServiceList() {
    window_->SetColumns(kServiceList, ServiceColumns());
    window_->SetImageList(kServiceList, ServiceImages());
    ui::ControlColors captions;
    captions.text = ui::kWhite;
    captions.hasText = true;
    captions.transparent = true;
    for (const int caption :
         {kSidCaption, kNameCaption, kUncryptCaption, kModulationCaption, kLcnCaption, kHdLcnCaption}) {
        window_->SetColors(caption, captions);
    }
    const ui::Rect band = ui::DialogUnitsToPixels(res::ModulePanelTemplate().Find(kCaptionBand)->rect);
    window_->SetDrawing(kCaptionBand, {{{0, 0, band.width, band.height}, kCaptionBandColor, true}});
}

void CSatCofdm::FillServiceList() {
    BuildServiceList(model_);
    while (window_->RowCount(kServiceList) > model_.ServiceRowCount) window_->DeleteRow(kServiceList, 0);
    while (window_->RowCount(kServiceList) < model_.ServiceRowCount) window_->InsertRow(kServiceList, 0);
    for (int r = 0; r < model_.ServiceRowCount; ++r) {
        const ServiceRow& row = model_.ServiceRows[r];
        for (int column = 0; column < kServiceColumnCount; ++column) {
            const ui::ListCell cell = ServiceCell(model_, row, column);
            window_->SetCell(kServiceList, r, column, cell);
            window_->SetCellToolTip(kServiceList, r, column, ServiceCellTip(cell, column));
        }
        window_->SetRowTextColor(kServiceList, r, ServiceRowColor(row));
    }
    EnablePlayerFields();
}

void CSatCofdm::OnServiceListDoubleClick(int row, int column) {
    if (row < 0 || row >= model_.ServiceRowCount) return;
    const ServiceRow& clicked = model_.ServiceRows[row];
    if ((column == kLcnColumn || column == kHdLcnColumn) && model_.OutputChannelCount >= 1) {
        cellEditor_ = std::make_unique<CInPlaceEdit>(row, column, LcnEditText(clicked, column));
        editedServiceId_ = clicked.ServiceId;
        if (!cellEditor_->Start(*window_, kServiceList, *this)) cellEditor_.reset();
        return;
    }
    const std::vector<int> selected = window_->SelectedRows(kServiceList);
    bool touched = false;
    if (column >= kFirstCamColumn && column <= kLastCamColumn) {
        bool refused = false;
        touched = ToggleCam(model_, row, column - kFirstCamColumn + 1, selected, refused);
        if (refused) services_->info.ShowInfo(MessageText(kNotIdentifiedMessage), false, kHintShowMs);
    } else if (column >= kFirstChannelColumn && column <= kLastChannelColumn) {
        touched = ToggleChannel(model_, row, column - kFirstChannelColumn + 1, selected,
                                [this](std::uint16_t id, int channel) { UpdateChainedPlayersFor(id, channel); });
    }
    if (!touched) return;
    operatorEdited_ = model_.InputDirty = model_.OutputDirty = true;
    FillServiceList();
}

void CSatCofdm::UpdateChainedPlayersFor(std::uint16_t serviceId, int channel) {
    UpdateChainedPlayers(services_->slots, input_->Address, serviceId, channel != 0);
}

// The number goes to the service the editor was opened for: a names reply may have rebuilt the list meanwhile
// and given its row to another service.
void CSatCofdm::OnLabelEdited(const ui::Notification& n) {
    const std::optional<std::uint16_t> serviceId = std::exchange(editedServiceId_, std::nullopt);
    if (!serviceId) return;
    int typed = 0;
    switch (ApplyLcnEdit(model_, *serviceId, n.column, n.text, typed)) {
    case LcnEdit::kStored: operatorEdited_ = model_.OutputDirty = true; break;
    case LcnEdit::kOutOfRange:
        services_->info.ShowInfo(FormatText(MessageText(kLcnOutOfRangeMessage), {typed}), false, kHintShowMs);
        break;
    case LcnEdit::kNothing: return;
    }
    FillServiceList();
}

}  // namespace kelvane
