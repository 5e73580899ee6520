// The playing schedule of a KXC300: the module's files, the time pickers, "+", "-" and the list.

#include "app/TextFormat.h"
#include "config/ChainEdits.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"
#include "panel/SatCofdm.h"
#include "panel/ServiceList.h"
#include "panel/Schedule.h"
#include "res/ModulePanelIds.h"

#include <algorithm>

namespace kelvane {

using namespace res::panel;

void CSatCofdm::InitScheduleList() {
    using ui::ColumnAlign;
    window_->SetColumns(kScheduleList, {{"VOID", 1, ColumnAlign::Left},
                                        {"De", 40, ColumnAlign::Centre},
                                        {"\xC3\xA0", 40, ColumnAlign::Centre},
                                        {"Fichier", 145, ColumnAlign::Left}});
    window_->SetImageList(kScheduleList, {{16, 16}, {171, 172, 173, 174, 175, 176, 177, 178, 198, 203}});
}

void CSatCofdm::RefreshScheduleList() {
    while (window_->RowCount(kScheduleList) < model_.ScheduleCount) window_->InsertRow(kScheduleList, 0);
    while (window_->RowCount(kScheduleList) > model_.ScheduleCount) window_->DeleteRow(kScheduleList, 0);
    for (int i = 0; i < model_.ScheduleCount; ++i) {
        const ScheduleEntry& entry = model_.Schedule[i];
        window_->SetCell(kScheduleList, i, 1, {ScheduleTimeText(entry.start), ui::kNoImage});
        window_->SetCell(kScheduleList, i, 2, {ScheduleTimeText(entry.end), ui::kNoImage});
        window_->SetCell(kScheduleList, i, 3, {entry.file, ui::kNoImage});
    }
    EnablePlayerFields();
    UpdateScheduleButtons();
}

void CSatCofdm::EnablePlayerFields() {
    const bool empty = model_.ScheduleCount == 0;
    window_->EnableControl(kPlayerServiceId, empty);
    window_->EnableControl(kPlayerServiceName, empty && (model_.PlayerServiceSource == kPlayerSource ||
                                                         model_.PlayerServiceSource == kUnannouncedSource));
}

void CSatCofdm::UpdateScheduleButtons() {
    const auto start = static_cast<std::uint32_t>(window_->TimeOfDay(kStartPicker));
    const auto end = static_cast<std::uint32_t>(window_->TimeOfDay(kEndPicker));
    window_->EnableControl(kAddEntry, model_.ScheduleCount < kMaxScheduleEntries && !SelectedFile().empty() &&
                                          ScheduleSlotFree(model_, start, end));
    const std::vector<int> selected = window_->SelectedRows(kScheduleList);
    window_->EnableControl(kRemoveEntries, std::any_of(selected.begin(), selected.end(),
                                                       [&](int row) { return row < model_.ScheduleCount; }));
}

std::string CSatCofdm::SelectedFile() const { return window_->ItemText(kFileCombo, window_->CurrentIndex(kFileCombo)); }

void CSatCofdm::AddScheduleEntryFromPickers() {
    const auto start = static_cast<std::uint32_t>(window_->TimeOfDay(kStartPicker));
    const auto end = static_cast<std::uint32_t>(window_->TimeOfDay(kEndPicker));
    const ScheduleAdd added = AddScheduleEntry(model_, start, end, SelectedFile());
    if (added == ScheduleAdd::kRefused) return;
    if (added == ScheduleAdd::kAddedFirst) {
        UpdateChainedPlayers(services_->slots, input_->Address, static_cast<std::uint16_t>(model_.PlayerServiceId),
                             true);
    }
    RefreshScheduleList();
    operatorEdited_ = model_.InputDirty = true;
}

void CSatCofdm::RemoveSelectedScheduleEntries() {
    if (model_.ScheduleCount == 0) return;
    const bool removed = RemoveScheduleEntries(model_, window_->SelectedRows(kScheduleList));
    if (removed && model_.ScheduleCount == 0) {
        UpdateChainedPlayers(services_->slots, input_->Address, static_cast<std::uint16_t>(model_.PlayerServiceId),
                             false);
    }
    if (!removed) return;
    for (int row = 0; row < window_->RowCount(kScheduleList); ++row) window_->SetRowSelected(kScheduleList, row, false);
    RefreshScheduleList();
    operatorEdited_ = model_.InputDirty = true;
}

void CSatCofdm::RefreshFileList(std::uint8_t state) {
    const int remembered = window_->CurrentIndex(kFileCombo);
    window_->ClearItems(kFileCombo);
    if (state != 0) {
        CXmit& link = services_->link;
        if (link.XmitRequest({}, input_->Address, kFileListCommand, kFileListTimeout) &&
            (link.ReplyLength() & 0xFFFF) != 0) {
            const std::vector<std::string> files = ParseFileList(link.Reply());
            // Each name goes in at the top, so the list shows them last first.
            for (auto it = files.rbegin(); it != files.rend(); ++it) window_->AddItem(kFileCombo, *it);
            // A list that shrank may no longer hold the remembered file: the first one is then selected.
            const bool kept = remembered >= 0 && remembered < static_cast<int>(files.size());
            if (!files.empty()) window_->SetCurrentIndex(kFileCombo, kept ? remembered : 0);
        }
    }
    UpdateScheduleButtons();
}

}  // namespace kelvane
