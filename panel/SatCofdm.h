#pragma once

#include "app/PanelInterfaces.h"
#include "panel/EditSequence.h"
#include "panel/HistoryWindow.h"
#include "panel/PairPoller.h"
#include "panel/PanelModel.h"
#include "panel/StatusReplies.h"
#include "ui/WindowSystem.h"
#include "widgets/InPlaceEdit.h"

#include <array>
#include <memory>
#include <optional>
#include <set>

namespace kelvane {

// The module panel of an input/output pair: its parameters, live status, services and, for a KXC300, the
// playing schedule. Its window exists from the start, hidden; LoadPanel shows it with a pair.
class CSatCofdm final : public ModulePanel, public ui::DialogHandler {
public:
    static constexpr int kPollTimer = 1;
    static constexpr unsigned kFirstPollMs = 100;
    static constexpr unsigned kPollPeriodMs = 1000;

    explicit CSatCofdm(ui::WindowSystem& windows) : windows_(windows) {}
    ~CSatCofdm() override;

    void Create(ui::Dialog& mainWindow, const PanelServices& services) override;
    ui::Dialog& Window() override { return *window_; }
    void LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) override;
    void HidePanel() override;
    void OpenHistory() override { history_->Open(); }

    // One poll of the pair, then the edits made since the last one.
    void StatusTick();

    const PanelModel& Model() const { return model_; }
    SlotRecord* InputModule() const { return input_; }
    SlotRecord* OutputModule() const { return output_; }
    // Whether the operator changed anything on this panel since it was loaded.
    bool OperatorEdited() const { return operatorEdited_; }
    // The pair's signal history and its window, fed by every poll.
    CHistoryWindow& History() { return *history_; }

    void OnNotify(const ui::Notification& notification) override;
    void OnTimer(int timerId) override;
    // Enter takes what was typed; Escape gives the focused field back the value its module holds.
    void OnOk() override;
    void OnCancel() override;

private:
    // Set-up and loading.
    void InitPanel();
    void SetCaptions();
    void InitServiceList();
    void InitScheduleList();
    void ApplyVisibility();
    void FillFecCombos();
    void Reconcile();

    // Fields and edits.
    void ShowFields();
    void ShowInputFields();
    void ShowOutputFields();
    void ReadControls();
    void CommitEdit(int control);
    void CommitPendingEdits();
    bool RestoreEdit(int control);  // false when nothing typed there waited
    void ShowTypedValue(int control);
    void RefuseValue(int control, const std::string& typed);
    void ReportSent(const SendReport& sent);
    void RefreshChannelFrequencies();
    void RefreshAttenuationLabel();
    void RefreshRateLabel();
    void ColourEdits();
    void MarkEdited(const ui::Notification& notification);
    void ApplyPendingEdits();
    void RefuseEdits(const WriteOutcome& outcome);
    void ReloadFromImages();

    // Status.
    bool PollInput(InputStatus& status);
    void ShowInputStatus(const InputStatus& status);
    // The channels the output reported; none when it did not answer.
    std::vector<ChannelRate> PollOutput();
    void DrawRateBar();
    void HideFigures();
    void ShowRowFigures(int row, bool shown);

    // Services.
    void FillServiceList();
    void OnServiceListDoubleClick(int row, int column);
    void OnLabelEdited(const ui::Notification& notification);
    void UpdateChainedPlayersFor(std::uint16_t serviceId, int channel);

    // Schedule.
    void RefreshScheduleList();
    void RefreshFileList(std::uint8_t state);
    void UpdateScheduleButtons();
    // The file chosen in the combo; empty when none is.
    std::string SelectedFile() const;
    void AddScheduleEntryFromPickers();
    void RemoveSelectedScheduleEntries();
    void EnablePlayerFields();

    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
    std::optional<PanelServices> services_;
    PanelModel model_;
    SlotRecord* input_ = nullptr;
    SlotRecord* output_ = nullptr;
    std::optional<PairPoller> poller_;  // the loaded pair's, so that a new pair starts with no lock state known
    bool operatorEdited_ = false;
    bool loading_ = false;
    std::set<int> pendingEdits_;  // typed fields whose text is not yet taken
    std::unique_ptr<CInPlaceEdit> cellEditor_;
    std::unique_ptr<CHistoryWindow> history_;
    std::optional<std::uint16_t> editedServiceId_;  // the service whose number the cell editor holds
};

}  // namespace kelvane
