// The module panel's fields: showing them, reading them back, marking edits and applying them.

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "config/ConfigSync.h"
#include "text/Utf8.h"
#include "panel/EditNumbers.h"
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

constexpr int kNumericEdits[] = {kFreqA, kSymbolRateA, kFreqB, kSymbolRateB, kOutFreq[0], kNitVersion, kNetworkId,
                                 kStreamId[0], kStreamId[1], kStreamId[2], kStreamId[3], kPlayerServiceId};
constexpr int kInputEdits[] = {kFreqA, kSymbolRateA, kFreqB, kSymbolRateB, kPlayerServiceId, kPlayerServiceName,
                               kFecA, kFecB};
constexpr int kOutputEdits[] = {kOutFreq[0], kNetworkId, kStreamId[0], kStreamId[1], kStreamId[2], kStreamId[3],
                                kNitVersion, kNetworkName, kConstellation, kMode, kGuard, kCodeRate, kBandwidth,
                                kRemoveCatEmm};
constexpr int kMaxNitVersion = 31;
constexpr std::uint8_t kNoFecChoiceType = 4;
constexpr ui::Color kValidText{0, 0, 0};
constexpr ui::Color kInvalidText{255, 0, 0};
constexpr std::uint32_t kMaxPlayerServiceId = 65535;
constexpr std::uint32_t kRefusalShowMs = 5000;
constexpr unsigned kRefusalBeepHz = 220;
constexpr unsigned kRefusalBeepMs = 250;

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

void CSatCofdm::ReadEditFields() {
    SanitizeNumericEdits();
    ReadControls();
}

void CSatCofdm::SanitizeNumericEdits() {
    for (const int edit : kNumericEdits) {
        const std::string text = window_->Text(edit);
        const std::string clean = SanitizedNumber(text);
        if (clean != text) window_->SetText(edit, clean);
    }
}

void CSatCofdm::ReadControls() {
    const auto number = [&](int edit) { return ParseEditNumber(window_->Text(edit)); };
    model_.InputFreqMHz[0] = number(kFreqA);
    model_.InputFreqMHz[1] = number(kFreqB);
    model_.InputSymbolRate[0] = number(kSymbolRateA);
    model_.InputSymbolRate[1] = number(kSymbolRateB);
    // A tuner with no FEC choice keeps the byte its module holds, rather than the empty combo's "none".
    if (model_.InputType != kNoFecChoiceType) {
        model_.InputFecOrPolarity[0] = window_->CurrentIndex(kFecA);
        model_.InputFecOrPolarity[1] = window_->CurrentIndex(kFecB);
    }
    model_.PlayerRateIndex = window_->Position(kPlayerRate);
    model_.PlayerServiceId = static_cast<unsigned>(std::min<long long>(number(kPlayerServiceId), kMaxPlayerServiceId));
    model_.PlayerServiceName = window_->Text(kPlayerServiceName);
    if (model_.OutputChannelCount < 1) return;
    model_.OutputFreqKHz = number(kOutFreq[0]);
    model_.Constellation = std::max(0, window_->CurrentIndex(kConstellation));
    model_.TransmissionMode = std::max(0, window_->CurrentIndex(kMode));
    model_.GuardInterval = std::max(0, window_->CurrentIndex(kGuard));
    model_.CodeRate = std::max(0, window_->CurrentIndex(kCodeRate));
    model_.Bandwidth = std::max(0, window_->CurrentIndex(kBandwidth));
    model_.LevelStep = std::clamp(window_->Position(kLevelSlider), 1, 30);
    model_.NetworkId = number(kNetworkId);
    for (int k = 0; k < kMaxOutputChannels; ++k) model_.TransportStreamId[k] = number(kStreamId[k]);
    model_.NitVersion = static_cast<std::uint8_t>(std::min(number(kNitVersion), kMaxNitVersion));
    model_.NetworkName = Utf8Prefix(window_->Text(kNetworkName), kMaxNetworkNameLength);
    model_.RemoveCatEmm = window_->IsChecked(kRemoveCatEmm);
}

void CSatCofdm::RefreshChannelFrequencies() {
    const int spacing = 6000 + 1000 * model_.Bandwidth;
    for (int k = 1; k < kMaxOutputChannels; ++k) {
        window_->SetText(kOutFreq[k], Number(static_cast<long long>(model_.OutputFreqKHz) + k * spacing));
    }
}

void CSatCofdm::RefreshAttenuationLabel() { window_->SetText(kLevelLabel, AttenuationLabel(model_.LevelStep)); }

void CSatCofdm::RefreshRateLabel() { window_->SetText(kPlayerRateLabel, PlayerRateLabel(model_.PlayerRateIndex)); }

// Red marks a value the module will not take; the value is kept as typed all the same.
void CSatCofdm::ColourEdits() {
    const auto colour = [&](int edit, bool valid) {
        ui::ControlColors colors;
        colors.text = valid ? kValidText : kInvalidText;
        colors.hasText = true;
        window_->SetColors(edit, colors);
    };
    const auto number = [&](int edit) { return ParseEditNumber(window_->Text(edit)); };
    const auto inSatRange = [](long long v) { return v >= kSatFreqMinMHz && v <= kSatFreqMaxMHz; };
    colour(kFreqA, inSatRange(number(kFreqA)));
    colour(kFreqB, inSatRange(number(kFreqB)));
    colour(kOutFreq[0], number(kOutFreq[0]) >= kOutFreqMinKHz && number(kOutFreq[0]) <= kOutFreqMaxKHz);
    colour(kPlayerServiceId, number(kPlayerServiceId) < 65536);
}

// Only the operator's own changes count as edits; what the program writes into the controls does not.
void CSatCofdm::MarkEdited(const ui::Notification& n) {
    if (n.byProgram || loading_) return;
    const bool changed = n.event == ui::Event::TextChanged || n.event == ui::Event::SelectionChanged ||
                         n.event == ui::Event::Clicked;
    if (n.control == kLevelSlider && n.event == ui::Event::SliderReleased) {
        operatorEdited_ = model_.OutputDirty = true;
        ReadEditFields();
        RefreshAttenuationLabel();
    } else if (n.control == kPlayerRate && n.event == ui::Event::SliderReleased) {
        operatorEdited_ = model_.InputDirty = model_.RestartOutputs = true;
        ReadEditFields();
        RefreshRateLabel();
    } else if (n.control == kPlayerRate && n.event == ui::Event::SliderMoved) {
        ReadControls();
        RefreshRateLabel();
        window_->RepaintNow();
    } else if (changed && Contains(kInputEdits, n.control)) {
        operatorEdited_ = model_.InputDirty = model_.RestartOutputs = true;
    } else if (changed && Contains(kOutputEdits, n.control)) {
        operatorEdited_ = model_.OutputDirty = true;
    }
    if (n.event == ui::Event::TextChanged) ColourEdits();
}

void CSatCofdm::ApplyPendingEdits() {
    ReadEditFields();
    RefreshChannelFrequencies();
    const std::uint8_t versionTyped = model_.NitVersion;
    const WriteOutcome outcome = ApplyEditsToRack(model_, services_->slots, *input_, output_, services_->link);
    if (!outcome.Written()) return RefuseEdits(outcome);
    // The section's version may have moved on with its content.
    if (model_.NitVersion != versionTyped) window_->SetText(kNitVersion, Number(model_.NitVersion));
    FillServiceList();
}

// Nothing of a refused change stays: the operator is told why, and the panel shows again what the modules hold.
void CSatCofdm::RefuseEdits(const WriteOutcome& outcome) {
    SlotTable& slots = services_->slots;
    const bool known = outcome.row >= 0 && outcome.row < static_cast<int>(kSlotCount);
    const std::uint8_t type = known ? slots[static_cast<std::size_t>(outcome.row)].Type : input_->Type;
    windows_.Beep(kRefusalBeepHz, kRefusalBeepMs);
    services_->info.ShowInfo(FormatText(MessageText(kChangeNotWrittenMessage),
                                        {ModuleTypeName(type), known ? outcome.row : 0,
                                         MessageText(ReasonMessage(outcome.refusal))}),
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
    loading_ = false;
}

}  // namespace kelvane
