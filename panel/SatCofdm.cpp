#include "panel/SatCofdm.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "panel/PairModel.h"
#include "panel/Reconcile.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "widgets/Info.h"

#include <algorithm>

namespace kelvane {

using namespace res::panel;

// Captions taken from the catalogue: control, message.
constexpr std::pair<int, int> kCatalogueCaptions[] = {
    {kHdLcnCaption, kHdLcnText},
    {kSidCaption, kSidText},
    {kNameCaption, kServiceNameText},
    {kUncryptCaption, kUncryptText},
    {kLcnCaption, kLcnText},
    {kBandwidthCaption, kBandwidthText},
    {kGuardCaption, kGuardIntervalFieldText},
    {kNetworkIdCaption, kNetworkIdText},
    {kStreamIdCaption, kStreamIdText},
    {kNetworkNameCaption, kNetworkNameText},
    {kRemoveCatEmm, kRemoveCatEmmText},
    {kLevelAttCaption, kLevelAttenuationText},
    {kBandwidthCaptionOf[0], kBandwidth1Text},
    {kBandwidthCaptionOf[1], kBandwidth2Text},
    {kBandwidthCaptionOf[2], kBandwidth3Text},
    {kBandwidthCaptionOf[3], kBandwidth4Text},
    {kLevelCaptionA, kLevelText},
    {kSnrCaptionA, kSnrText},
    {kLevelCaptionB, kLevelText},
    {kSnrCaptionB, kSnrText},
    {kPlayerRateCaption, kRateText},
    {kPlayerServiceNameCaption, kNameText},
    {kPlayerServiceIdCaption, kSidFieldText},
    {kConstellationCaption, kConstellationText},
    {kOutFreqCaption, kFrequencyKhzText},
};

// Controls shown for a player (KXC300) input only.
constexpr int kPlayerOnlyControls[] = {
    kFreqLabelB,
    kFreqB,
    kSymbolRateB,
    kFecLabelB,
    kFecB,
    kLampB,
    kLevelBarB,
    kSnrBarB,
    kLevelNumberB,
    kSnrNumberB,
    kLevelCaptionB,
    kSnrCaptionB,
    kInputBIcon,
    kSymbolRateLabelB,
    kMhzLabelB,
    kInputBLetter,
    kPlayerRate,
    kPlayerRateLabel,
    kPlayerRateCaption,
    kFilePicture,
    kTimePicture,
    kFileCombo,
    kStartPicker,
    kEndPicker,
    kAddEntry,
    kRemoveEntries,
    kScheduleList,
    kPlayerServiceId,
    kPlayerServiceName,
    kPlayerServiceIdCaption,
    kPlayerServiceNameCaption,
};

// Controls shown whenever there is an output.
constexpr int kOutputControls[] = {
    kOutputIcon,           kOutputIcon2,   kSeparator1,       kSeparator2,   kOutFreqCaption,     kStreamIdCaption,
    kConstellationCaption, kConstellation, kBandwidthCaption, kBandwidth,    kCodeRateCaption,    kCodeRate,
    kGuardCaption,         kGuard,         kLevelAttCaption,  kLevelIcon,    kLevelSlider,        kLevelLabel,
    kNitVersionCaption,    kNitVersion,    kNetworkIdCaption, kNetworkId,    kNetworkNameCaption, kNetworkName,
    kNetworkFrame,         kRemoveCatEmm,  kLcnCaption,       kHdLcnCaption,
};

CSatCofdm::~CSatCofdm() = default;

void CSatCofdm::Create(ui::Dialog& mainWindow, const PanelServices& services) {
    services_.emplace(services);
    window_ = windows_.CreateDialog(res::ModulePanelTemplate(), *this, &mainWindow);
    history_ = std::make_unique<CHistoryWindow>(windows_, mainWindow);
    InitPanel();
}

void CSatCofdm::InitPanel() {
    InitServiceList();
    InitScheduleList();
    window_->SetRange(kPlayerRate, 1, 15);
    window_->SetTickFrequency(kPlayerRate, 1);
    window_->SetRange(kLevelSlider, 1, 30);
    window_->SetTickFrequency(kLevelSlider, 5);
    for (const int bar : {kLevelBarA, kSnrBarA, kLevelBarB, kSnrBarB}) window_->SetRange(bar, 0, 100);
    window_->SetTimeOfDay(kStartPicker, 8 * 60);
    window_->SetTimeOfDay(kEndPicker, 10 * 60);
    SetCaptions();
    window_->SetTextLimit(kNetworkName, static_cast<int>(kMaxNetworkNameLength));
    window_->SetTextLimit(kNitVersion, 2);
    window_->SetTextLimit(kPlayerServiceId, 5);
    // Grey for the derived frequencies, white captions over the list.
    ui::ControlColors derived;
    derived.text = {128, 128, 128};
    derived.hasText = true;
    for (int k = 1; k < kMaxOutputChannels; ++k) window_->SetColors(kOutFreq[k], derived);
}

void CSatCofdm::SetCaptions() {
    for (const auto& [control, message] : kCatalogueCaptions) window_->SetText(control, MessageText(message));
    window_->SetToolTip(kHistoryButton, MessageText(kHistoryTipMessage));
}

void CSatCofdm::LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) {
    loading_ = true;
    editedServiceId_.reset();  // an edit cut short by a new pair or a hidden panel stores nothing
    cellEditor_.reset();
    input_ = &input;
    output_ = output;
    model_ = ModelOfPair(camCount, input, output);
    history_->FollowPair(input, output, model_.InputCount, model_.OutputChannelCount);
    poller_.emplace(services_->link, services_->slots, input, output);
    operatorEdited_ = false;
    pendingEdits_.clear();

    ApplyVisibility();
    HideFigures();
    window_->SetText(kModulationCaption,
                     MessageText(model_.OutputChannelCount >= 1 ? kModulationText : kActivationText));
    ShowFields();
    Reconcile();
    FillServiceList();
    RefreshScheduleList();
    // Loading and reconciling are not the operator's edits: nothing goes to the modules for them.
    model_.InputDirty = model_.OutputDirty = model_.RestartOutputs = false;
    loading_ = false;

    window_->SetTimer(kPollTimer, kFirstPollMs);
    window_->Show(true);
}

void CSatCofdm::HidePanel() {
    if (input_ != nullptr) CommitPendingEdits();  // what was typed is never lost by leaving the panel
    services_->info.Clear();
    editedServiceId_.reset();  // an edit cut short by a new pair or a hidden panel stores nothing
    cellEditor_.reset();
    if (input_ != nullptr && operatorEdited_ && (model_.InputDirty || model_.OutputDirty)) StatusTick();
    window_->KillTimer(kPollTimer);
    window_->Show(false);
}

void CSatCofdm::ApplyVisibility() {
    const bool player = model_.InputType == kPlayerType;
    const bool output = model_.OutputChannelCount >= 1;
    for (const int control : kPlayerOnlyControls) window_->ShowControl(control, player);
    for (const int control : kOutputControls) window_->ShowControl(control, output);
    for (int k = 0; k < kMaxOutputChannels; ++k) {
        const bool shown = model_.OutputChannelCount > k;
        for (const int control : {kChannelNumber[k], kOutFreq[k], kStreamId[k], kBandwidthCaptionOf[k],
                                  kChannelRateBar[k], kChannelRateLabel[k]}) {
            window_->ShowControl(control, shown);
        }
    }
    window_->ShowControl(kModeCaption, model_.OutputChannelCount == 1);
    window_->ShowControl(kMode, model_.OutputChannelCount == 1);
    const bool fec = model_.InputType == kFecTunerType || player;
    window_->ShowControl(kFecLabelA, fec);
    window_->ShowControl(kFecA, fec);
    window_->SetText(kFecLabelA, MessageText(player ? kPolarityText : kFecText));
    window_->SetText(kFecLabelB, MessageText(kPolarityText));
    FillFecCombos();
}

void CSatCofdm::FillFecCombos() {
    static const std::vector<std::string> kCodeRates{"1/2", "2/3", "3/4", "5/6", "7/8"};
    static const std::vector<std::string> kPolarities{"V", "H"};
    for (const int combo : {kFecA, kFecB}) {
        window_->ClearItems(combo);
        if (model_.InputType == kPlainTunerType) continue;  // this tuner has no choice to offer
        const auto& items = model_.InputType == kPlayerType ? kPolarities : kCodeRates;
        for (const std::string& item : items) window_->AddItem(combo, item);
    }
}

void CSatCofdm::Reconcile() { ReconcileServices(model_, CollectOutputServiceIds(services_->slots, input_->Address)); }

void CSatCofdm::OnTimer(int timerId) {
    if (timerId == kPollTimer) StatusTick();
}

void CSatCofdm::OnNotify(const ui::Notification& n) {
    if (input_ == nullptr) return;
    if (n.control == kServiceList) {
        if (n.event == ui::Event::DoubleClicked) OnServiceListDoubleClick(n.row, n.column);
        if (n.event == ui::Event::EndLabelEdit) OnLabelEdited(n);
        if (n.event == ui::Event::RowStateChanged || n.event == ui::Event::Clicked) DrawRateBar();
        return;
    }
    if (n.control == kHistoryButton && n.event == ui::Event::Clicked) return history_->Open();
    if (n.control == kAddEntry && n.event == ui::Event::Clicked) return AddScheduleEntryFromPickers();
    if (n.control == kRemoveEntries && n.event == ui::Event::Clicked) return RemoveSelectedScheduleEntries();
    if (n.control == kScheduleList && n.event == ui::Event::Clicked) return UpdateScheduleButtons();
    if ((n.control == kStartPicker || n.control == kEndPicker) && n.event == ui::Event::TimeChanged) {
        return UpdateScheduleButtons();
    }
    if (n.control == kFileCombo && n.event == ui::Event::SelectionChanged) return UpdateScheduleButtons();
    MarkEdited(n);
}

}  // namespace kelvane
