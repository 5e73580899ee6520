// The module panel's fields: showing them, reading them back, marking edits and applying them.

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "app/Tones.h"
#include "config/ConfigSync.h"
#include "text/Utf8.h"
#include "panel/FieldRanges.h"
#include "panel/EditSequence.h"
#include "panel/LevelTable.h"
#include "panel/SatCofdm.h"
#include "panel/PairModel.h"
#include "res/ModulePanelIds.h"
#include "widgets/Info.h"

#include <algorithm>

namespace kelvane {
namespace {

using namespace res::panel;

// The typed fields: what they hold and the caption that names them to the operator.
struct NumericEdit {
    int control;
    FieldId field;
    int caption;
};
constexpr NumericEdit kNumericEdits[] = {
    {kFreqA, FieldId::InputFreq, kFreqLabelA},
    {kSymbolRateA, FieldId::InputSymbolRate, kSymbolRateLabelA},
    {kFreqB, FieldId::Input2Freq, kFreqLabelB},
    {kSymbolRateB, FieldId::Input2SymbolRate, kSymbolRateLabelB},
    {kPlayerServiceId, FieldId::PlayerServiceId, kPlayerServiceIdCaption},
    {kOutFreq[0], FieldId::OutputFreq, kOutFreqCaption},
    {kNetworkId, FieldId::NetworkId, kNetworkIdCaption},
    {kStreamId[0], FieldId::StreamId1, kStreamIdCaption},
    {kStreamId[1], FieldId::StreamId2, kStreamIdCaption},
    {kStreamId[2], FieldId::StreamId3, kStreamIdCaption},
    {kStreamId[3], FieldId::StreamId4, kStreamIdCaption},
    {kNitVersion, FieldId::NetworkVersion, kNitVersionCaption},
};
constexpr int kNameEdits[] = {kNetworkName, kPlayerServiceName};
constexpr int kInputChoices[] = {kFecA, kFecB};
constexpr int kOutputChoices[] = {kConstellation, kMode, kGuard, kCodeRate, kBandwidth, kRemoveCatEmm};
constexpr ui::Color kValidText{0, 0, 0};
constexpr ui::Color kInvalidText{255, 0, 0};
// A typed value not yet taken: the operator sees that Enter or Tab is still to come.
constexpr ui::Color kPendingGround{255, 244, 196};
constexpr std::uint32_t kRefusalShowMs = 5000;
constexpr std::size_t kTypedShownLength = 16;

const NumericEdit* NumericEditOf(int control) {
    for (const NumericEdit& edit : kNumericEdits) {
        if (edit.control == control) return &edit;
    }
    return nullptr;
}

bool IsTypedEdit(int control) {
    return NumericEditOf(control) != nullptr ||
           std::find(std::begin(kNameEdits), std::end(kNameEdits), control) != std::end(kNameEdits);
}

// A caption as the operator reads it beside its field, without the colon that leads to the field.
std::string CaptionName(std::string caption) {
    while (!caption.empty() && (caption.back() == ' ' || caption.back() == ':')) caption.pop_back();
    return caption;
}

int ReasonMessage(WriteRefusal refusal) {
    switch (refusal) {
    case WriteRefusal::kImageTooLong: return kImageTooLongReason;
    case WriteRefusal::kNamesUnread: return kNamesUnreadReason;
    default: return kImageUnreadReason;
    }
}

bool Contains(std::span<const int> controls, int control) {
    return std::find(controls.begin(), controls.end(), control) != controls.end();
}

std::string Number(long long value) { return std::to_string(value); }

}  // namespace

void CSatCofdm::ShowFields() {
    ShowInputFields();
    if (model_.OutputChannelCount >= 1) ShowOutputFields();
    RefreshChannelFrequencies();
    RefreshAttenuationLabel();
    RefreshRateLabel();
    ColourEdits();
}

void CSatCofdm::ShowInputFields() {
    const int frequencyEdits[] = {kFreqA, kFreqB};
    const int symbolRateEdits[] = {kSymbolRateA, kSymbolRateB};
    const int fecCombos[] = {kFecA, kFecB};
    for (int row = 0; row < 2; ++row) {
        window_->SetText(frequencyEdits[row], Number(model_.InputFreqMHz[row]));
        window_->SetText(symbolRateEdits[row], Number(model_.InputSymbolRate[row]));
        window_->SetCurrentIndex(fecCombos[row], model_.InputFecOrPolarity[row]);
    }
    window_->SetPosition(kPlayerRate, model_.PlayerRateIndex);
    window_->SetText(kPlayerServiceId, Number(model_.PlayerServiceId));
    window_->SetText(kPlayerServiceName, model_.PlayerServiceName);
}

void CSatCofdm::ShowOutputFields() {
    window_->SetText(kOutFreq[0], Number(model_.OutputFreqKHz));
    window_->SetCurrentIndex(kConstellation, model_.Constellation);
    window_->SetCurrentIndex(kMode, model_.TransmissionMode);
    window_->SetCurrentIndex(kGuard, model_.GuardInterval);
    window_->SetCurrentIndex(kCodeRate, model_.CodeRate);
    window_->SetCurrentIndex(kBandwidth, model_.Bandwidth);
    window_->SetPosition(kLevelSlider, model_.LevelStep);
    window_->SetText(kNetworkId, Number(model_.NetworkId));
    for (int k = 0; k < kMaxOutputChannels; ++k) window_->SetText(kStreamId[k], Number(model_.TransportStreamId[k]));
    window_->SetText(kNitVersion, Number(model_.NitVersion));
    window_->SetText(kNetworkName, model_.NetworkName);
    window_->SetChecked(kRemoveCatEmm, model_.RemoveCatEmm);
}

// Only the choices are read here: typed fields reach the model when the operator commits them.
void CSatCofdm::ReadControls() {
    // A tuner with no FEC choice keeps the byte its module holds, rather than the empty combo's "none".
    if (model_.InputType != kPlainTunerType) {
        model_.InputFecOrPolarity[0] = window_->CurrentIndex(kFecA);
        model_.InputFecOrPolarity[1] = window_->CurrentIndex(kFecB);
    }
    model_.PlayerRateIndex = window_->Position(kPlayerRate);
    if (model_.OutputChannelCount < 1) return;
    model_.Constellation = std::max(0, window_->CurrentIndex(kConstellation));
    model_.TransmissionMode = std::max(0, window_->CurrentIndex(kMode));
    model_.GuardInterval = std::max(0, window_->CurrentIndex(kGuard));
    model_.CodeRate = std::max(0, window_->CurrentIndex(kCodeRate));
    model_.Bandwidth = std::max(0, window_->CurrentIndex(kBandwidth));
    model_.LevelStep = std::clamp(window_->Position(kLevelSlider), 1, 30);
    model_.RemoveCatEmm = window_->IsChecked(kRemoveCatEmm);
}

// A typed field is taken whole (Enter, Tab, leaving it, or leaving the panel), never digit by digit: each
// value taken rewrites an image and restarts an output, so 1, 10 and 103 must never go on air on the way to 1030.
void CSatCofdm::CommitEdit(int control) {
    if (pendingEdits_.erase(control) == 0) return;
    const std::string typed = window_->Text(control);
    if (const NumericEdit* edit = NumericEditOf(control)) {
        const FieldRange& range = RangeOf(edit->field);
        const std::optional<int> value = ParseFieldValue(range, typed);
        if (!value) return RefuseValue(control, typed);
        if (*value != FieldValue(model_, edit->field)) {
            SetFieldValue(model_, edit->field, *value);
            operatorEdited_ = true;
        }
    } else if (control == kNetworkName) {
        // A name typed back to what it was is no change: nothing is rebuilt, no output restarted.
        if (const std::string name = Utf8Prefix(typed, kMaxNetworkNameLength); name != model_.NetworkName) {
            model_.NetworkName = name;
            operatorEdited_ = model_.OutputDirty = true;
        }
    } else if (typed != model_.PlayerServiceName) {
        model_.PlayerServiceName = typed;
        operatorEdited_ = model_.InputDirty = model_.RestartOutputs = true;
    }
    ShowTypedValue(control);
    if (control == kOutFreq[0]) RefreshChannelFrequencies();
}

void CSatCofdm::CommitPendingEdits() {
    while (!pendingEdits_.empty()) CommitEdit(*pendingEdits_.begin());
}

// Escape: the field shows again what the module holds.
bool CSatCofdm::RestoreEdit(int control) {
    if (pendingEdits_.erase(control) == 0) return false;
    ShowTypedValue(control);
    return true;
}

void CSatCofdm::ShowTypedValue(int control) {
    if (const NumericEdit* edit = NumericEditOf(control)) {
        window_->SetText(control, Number(FieldValue(model_, edit->field)));
    } else {
        window_->SetText(control, control == kNetworkName ? model_.NetworkName : model_.PlayerServiceName);
    }
    ColourEdits();
}

void CSatCofdm::RefuseValue(int control, const std::string& typed) {
    const NumericEdit& edit = *NumericEditOf(control);
    const FieldRange& range = RangeOf(edit.field);
    windows_.Beep(kRefusalTone.frequencyHz, kRefusalTone.milliseconds);
    services_->info.ShowInfo(
        FormatText(MessageText(kFieldOutOfRangeMessage),
                   {CaptionName(window_->Text(edit.caption)),
                    typed.empty() ? std::string("\"\"") : Utf8Prefix(typed, kTypedShownLength), range.low, range.high}),
        false, kRefusalShowMs);
    ShowTypedValue(edit.control);
}

void CSatCofdm::RefreshChannelFrequencies() {
    const int spacing = 6000 + 1000 * model_.Bandwidth;
    for (int k = 1; k < kMaxOutputChannels; ++k) {
        window_->SetText(kOutFreq[k], Number(static_cast<long long>(model_.OutputFreqKHz) + k * spacing));
    }
}

void CSatCofdm::RefreshAttenuationLabel() { window_->SetText(kLevelLabel, AttenuationLabel(model_.LevelStep)); }

void CSatCofdm::RefreshRateLabel() { window_->SetText(kPlayerRateLabel, PlayerRateLabel(model_.PlayerRateIndex)); }

// Red marks a value the module will not take, a tinted ground a value typed but not yet taken.
void CSatCofdm::ColourEdits() {
    for (const NumericEdit& edit : kNumericEdits) {
        ui::ControlColors colors;
        colors.text = ParseFieldValue(RangeOf(edit.field), window_->Text(edit.control)) ? kValidText : kInvalidText;
        colors.hasText = true;
        colors.background = kPendingGround;
        colors.hasBackground = pendingEdits_.count(edit.control) != 0;
        window_->SetColors(edit.control, colors);
    }
    for (const int control : kNameEdits) {
        ui::ControlColors colors;
        colors.background = kPendingGround;
        colors.hasBackground = pendingEdits_.count(control) != 0;
        window_->SetColors(control, colors);
    }
}

// Only the operator's own changes count as edits; what the program writes into the controls does not.
void CSatCofdm::MarkEdited(const ui::Notification& n) {
    if (n.event == ui::Event::FocusLost) return CommitEdit(n.control);
    if (n.byProgram || loading_) return;
    const bool changed = n.event == ui::Event::SelectionChanged || n.event == ui::Event::Clicked;
    if (n.event == ui::Event::TextChanged && IsTypedEdit(n.control)) {
        pendingEdits_.insert(n.control);
        ColourEdits();
    } else if (n.control == kLevelSlider && n.event == ui::Event::SliderReleased) {
        operatorEdited_ = model_.OutputDirty = true;
        ReadControls();
        RefreshAttenuationLabel();
    } else if (n.control == kPlayerRate && n.event == ui::Event::SliderReleased) {
        operatorEdited_ = model_.InputDirty = model_.RestartOutputs = true;
        ReadControls();
        RefreshRateLabel();
    } else if (n.control == kPlayerRate && n.event == ui::Event::SliderMoved) {
        ReadControls();
        RefreshRateLabel();
        window_->RepaintNow();
    } else if (changed && Contains(kInputChoices, n.control)) {
        operatorEdited_ = model_.InputDirty = model_.RestartOutputs = true;
    } else if (changed && Contains(kOutputChoices, n.control)) {
        operatorEdited_ = model_.OutputDirty = true;
    }
}

void CSatCofdm::OnOk() { CommitPendingEdits(); }

// Escape takes back what is being typed in the field; with nothing to take back, it closes the panel.
void CSatCofdm::OnCancel() {
    if (!RestoreEdit(window_->FocusedControl())) services_->closePanel();
}

void CSatCofdm::ApplyPendingEdits() {
    ReadControls();
    RefreshChannelFrequencies();
    const std::uint8_t versionTyped = model_.NitVersion;
    SendReport sent;
    const WriteOutcome outcome = ApplyEditsToRack(model_, services_->slots, *input_, output_, services_->link, &sent);
    if (!outcome.Written()) return RefuseEdits(outcome);
    // The section's version may have moved on with its content; a version being typed is the operator's.
    if (model_.NitVersion != versionTyped && pendingEdits_.count(kNitVersion) == 0) {
        window_->SetText(kNitVersion, Number(model_.NitVersion));
    }
    FillServiceList();
    ReportSent(sent);
}

// What went out, and when, stays in the message area until the next message: the operator may look away
// while it is sent.
void CSatCofdm::ReportSent(const SendReport& sent) {
    if (sent.rows.empty() && sent.answered) return;
    std::string modules;
    for (const int row : sent.rows) {
        const SlotRecord& record = services_->slots[static_cast<std::size_t>(row)];
        if (!modules.empty()) modules += ", ";
        modules += FormatText(MessageText(kModuleInRowText), {ModuleTypeName(record.Type), row});
    }
    if (modules.empty()) {
        const auto row = static_cast<int>(input_ - services_->slots.Records.data());
        modules = FormatText(MessageText(kModuleInRowText), {ModuleTypeName(input_->Type), row});
    }
    const int message = sent.answered ? kSentToMessage : kNotAllSentMessage;
    const std::string report =
        FormatText(MessageText(message), {modules, LocalTimeOfDay(windows_.GetClock().SystemSeconds())});
    services_->info.ShowLasting(report);
    if (services_->sent) services_->sent(report);
}

// Nothing of a refused change stays: the operator is told why, and the panel shows again what the modules hold.
void CSatCofdm::RefuseEdits(const WriteOutcome& outcome) {
    SlotTable& slots = services_->slots;
    const bool known = outcome.row >= 0 && outcome.row < static_cast<int>(kSlotCount);
    const std::uint8_t type = known ? slots[static_cast<std::size_t>(outcome.row)].Type : input_->Type;
    windows_.Beep(kRefusalTone.frequencyHz, kRefusalTone.milliseconds);
    services_->info.ShowInfo(
        FormatText(MessageText(kChangeNotWrittenMessage),
                   {ModuleTypeName(type), known ? outcome.row : 0, MessageText(ReasonMessage(outcome.refusal))}),
        false, kRefusalShowMs);
    RevertUnsentConfigs(slots);
    ReloadFromImages();
}

void CSatCofdm::ReloadFromImages() {
    loading_ = true;
    PanelModel fresh = ModelOfPair(model_.CamCount, *input_, output_);
    fresh.InputSiServices = model_.InputSiServices;
    fresh.NamesRead = model_.NamesRead;
    model_ = std::move(fresh);
    ShowFields();
    FillServiceList();
    RefreshScheduleList();
    model_.InputDirty = model_.OutputDirty = model_.RestartOutputs = false;
    operatorEdited_ = false;
    pendingEdits_.clear();
    loading_ = false;
    ColourEdits();
}

}  // namespace kelvane
