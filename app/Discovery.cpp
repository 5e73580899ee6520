// Discovery of the rack and supervision of the link, as the main window runs them.

#include "app/DiscoveryExchanges.h"
#include "app/KelvaneDlg.h"
#include "app/MainMenu.h"
#include "app/MessageCatalogue.h"
#include "app/ModulePairs.h"
#include "app/ModuleTypes.h"
#include "app/PortReasons.h"
#include "app/TextFormat.h"
#include "app/Tones.h"
#include "config/ConfigSync.h"
#include "link/Xmit.h"
#include "res/ResourceIds.h"

namespace kelvane {
namespace {

constexpr unsigned kSupervisionPeriodMs = 100;
constexpr unsigned kRelinkRetryMs = 1000;
constexpr std::uint32_t kLongShowMs = 10000;
constexpr std::uint32_t kRebootShowMs = 8000;
constexpr std::uint32_t kReadShowMs = 1000;
constexpr std::uint32_t kFoundOnShowMs = 5000;
// A message that stays until another replaces it: the search that keeps looking shows it again each time.
constexpr std::uint32_t kLastingShowMs = 3'600'000;
// The reasons named in the window's two lines; the ports beyond them are counted.
constexpr std::size_t kReasonsNamed = 3;
constexpr std::size_t kRefusedFilesNamed = 3;

// The firmware upgrade reports in the message area, as every long operation of the window does.
class InfoFeedback final : public UpgradeFeedback {
public:
    InfoFeedback(CInfo& info, ui::WindowSystem& windows) : info_(info), windows_(windows) {}
    void ShowText(const std::string& text, std::uint32_t durationMs) override {
        info_.ShowInfo(text, false, durationMs);
    }
    void Progress(int range, int position) override { info_.SetInfoProgress(range, position); }
    void Beep(unsigned frequencyHz, unsigned milliseconds) override { windows_.Beep(frequencyHz, milliseconds); }
    void Pause(std::uint32_t milliseconds) override { windows_.GetClock().Sleep(milliseconds); }

private:
    CInfo& info_;
    ui::WindowSystem& windows_;
};

}  // namespace

void CKelvaneDlg::DiscoverRack() {
    // The search, an upgrade and the rack's restart take seconds: a click meanwhile would act long after.
    const ui::BusyScope busy(windows_);
    StartDiscovery();
    bool firmwareChecks = true;
    bool updated = false;
    offeredImages_.clear();
    do {
        if (!DiscoveryPass(firmwareChecks, updated)) return;
        firmwareChecks = false;
    } while (updated);
    ReportVersionsNotTaken();
    window_->EnableControl(res::kModuleList, true);
    EnableCommand(res::kDiscoverButton, true);
}

void CKelvaneDlg::StartDiscovery() {
    EnableCommand(res::kDiscoverButton, false);
    EnableCommand(res::kUploadButton, false);
    EnableCommand(res::kSaveButton, false);
    window_->KillTimer(kSupervisionTimer);
    window_->KillTimer(kRelinkTimer);
    SelectSlot(kNoSlot);
    window_->EnableControl(res::kModuleList, true);
    window_->SetCaption(kProgramName);  // no rack until one answers
    // A search that keeps failing once a second leaves the bar as it is: nothing changed.
    if (relinking_) {
        status_.SetLink(LinkState::LinkLost);
    } else if (!lookingAgain_) {
        status_.SetLink(LinkState::Searching);
    }
}

std::optional<std::uint8_t> CKelvaneDlg::ChosenNumber() const {
    return chosenEntry_ ? FindEntry(link_.Ports(), *chosenEntry_) : std::nullopt;
}

// The entry the operator chose, alone, while the table still has it (a rack removed from ports.txt is looked
// for everywhere rather than nowhere); otherwise the search round the table.
bool CKelvaneDlg::SearchForRack() {
    const std::optional<std::uint8_t> chosen = ChosenNumber();
    const bool found = chosen ? link_.OpenPort(*chosen) : link_.FindPort();
    entryStates_.Note(link_, found);
    return found;
}

void CKelvaneDlg::ConnectTo() {
    const PortOpener& ports = link_.Ports();
    const std::vector<std::string> rows = entryStates_.ChoiceRows(ports);
    const std::optional<std::uint8_t> current = ChosenNumber();
    const std::optional<int> row =
        AskRackChoice(windows_, *window_, AsTitle(MessageText(kConnectToItemText)), rows, current ? *current + 1 : 0);
    if (!row) return;
    chosenEntry_.reset();
    if (*row > 0) chosenEntry_ = ports.Describe(static_cast<std::uint8_t>(*row - 1));
    // A choice that cannot be kept still holds for this run.
    WriteChosenRack(applicationDirectory_, chosenEntry_.value_or(""));
    // Another rack: nothing of the one left behind is looked for or restored.
    window_->KillTimer(kSupervisionTimer);
    window_->KillTimer(kRelinkTimer);
    SelectSlot(kNoSlot);
    link_.ClosePort();
    relinking_ = false;
    lookingAgain_ = false;
    lostPlace_.reset();
    DiscoverRack();
}

// One pass over the rack. False when discovery has to stop here (an inactive module, or a rack that did not
// come back after its restart); `updated` tells whether a module was upgraded and a second pass is due.
bool CKelvaneDlg::DiscoveryPass(bool firmwareChecks, bool& updated) {
    updated = false;
    for (int row = 0; row < kListRows; ++row) SetRow(row, "", kEmptyRowImage);
    // While the window keeps looking for a rack that never answered, what it tried stays on show instead.
    const int searching = relinking_ ? kLinkLostSearchingMessage : kSearchingMessage;
    if (!lookingAgain_) info_.ShowInfo(MessageText(searching), false, kLongShowMs);

    if (!SearchForRack()) {
        if (!relinking_) ReportNoRack(firmwareChecks);
        // Looked for again until it answers, the window free meanwhile, as after a lost link.
        window_->SetTimer(kRelinkTimer, kRelinkRetryMs);
        return true;
    }
    lookingAgain_ = false;
    info_.ShowInfo(MessageText(kFoundMessage), false, kLongShowMs);
    InfoFeedback feedback(info_, windows_);
    const DiscoveryReport report = RunDiscoveryExchanges(link_, slots_, [&](std::size_t row) {
        LabelRow(row);
        if (!firmwareChecks || !firmware_.UpgradeDueFor(slots_[row])) return;
        // From the first block written until the rack is back, ending the program may leave a module
        // without firmware: the close box asks first.
        if (!updated) windows_.GuardClose(MessageText(kCloseDuringFirmwareMessage));
        const UpgradeOutcome outcome = firmware_.UpgradeModuleFirmware(link_, slots_[row], row, feedback);
        if (outcome.started) updated = true;
        if (outcome.offered) offeredImages_.push_back(*outcome.offered);
        if (!updated) windows_.GuardClose("");
    });
    if (report.inactiveRow) {
        relinking_ = false;
        lostPlace_.reset();
        if (updated) windows_.GuardClose("");
        HandleInactiveModule();
        return false;
    }
    MarkConfigsSent(slots_);
    const bool back = !updated || WaitForRestartedRack();
    if (updated) windows_.GuardClose("");
    if (!back) {
        window_->EnableControl(res::kModuleList, true);
        EnableCommand(res::kDiscoverButton, true);
        return false;
    }
    if (!updated) StartSupervision();
    EnableCommand(res::kUploadButton, true);
    EnableCommand(res::kSaveButton, true);
    if (firmware_.FirmwareFilesFound() == 0) {
        windows_.Beep(kWarningTone.frequencyHz, kWarningTone.milliseconds);
        info_.ShowInfo(MessageText(kNoFirmwareMessage), true, kReadShowMs);
    }
    if (firmwareChecks) ReportRefusedFirmware();
    // Where the rack answered is the news of a search (with serial servers in the table it may be any of
    // several sites): it comes after every notice, so that none of them hides it at once.
    if (!updated) {
        info_.ShowInfo(FormatText(MessageText(kRackFoundOnMessage), {link_.PortName()}), false, kFoundOnShowMs);
        const std::string place = RackPlaceText(link_.RackName(), link_.PortName());
        window_->SetCaption(std::string(kProgramName) + " \u2014 " + place);
        // The controller is the rack itself: the count is of the modules behind it.
        status_.SetLink(LinkState::Connected, place, std::max(0, slots_.ModuleCount - 1));
    }
    return true;
}

// What was tried and why each port gave no rack tells the operator what to mend; the hints cover the rest.
std::string CKelvaneDlg::NotFoundText() const {
    return FormatText(MessageText(kNoRackLastingMessage), {SearchFailuresText(link_.SearchFailures(), kReasonsNamed)});
}

// No rack at the first search: the warnings about firmware files come once, then what was tried stays on show
// while the search goes on.
void CKelvaneDlg::ReportNoRack(bool firstSearch) {
    if (!lookingAgain_) {
        if (firmware_.FirmwareFilesFound() == 0) {
            windows_.Beep(kWarningTone.frequencyHz, kWarningTone.milliseconds);
            info_.ShowInfo(MessageText(kNoFirmwareMessage), true, kReadShowMs);
        }
        if (firstSearch) ReportRefusedFirmware();
    }
    lookingAgain_ = true;
    status_.SetLink(LinkState::NoRack);
    info_.ShowInfo(NotFoundText(), false, kLastingShowMs);
}

// A file that no module could ever take is named, where files that are merely missing or damaged pass silently;
// only the first few, so that a list full of them cannot hold the window for long.
void CKelvaneDlg::ReportRefusedFirmware() {
    std::size_t named = 0;
    for (const FirmwareScanNote& note : firmware_.Scan().notes) {
        if (!ReportedInWindow(note.verdict)) continue;
        if (named++ == kRefusedFilesNamed) break;
        windows_.Beep(kWarningTone.frequencyHz, kWarningTone.milliseconds);
        info_.ShowInfo(FormatText(MessageText(kFirmwareTooLargeMessage), {note.line}), true, kReadShowMs);
    }
}

// A module that was sent an image but runs another version after the restart (a mislabelled image, or one it
// refused) would be flashed again, and the whole rack restarted, at every search: it is named in place of the
// "OK" or the error its upgrade showed, and that image is never started on it again while the program runs.
void CKelvaneDlg::ReportVersionsNotTaken() {
    const std::vector<VersionNotTaken> failures =
        firmware_.CheckVersionsAfterRestart(std::exchange(offeredImages_, {}), slots_);
    if (failures.empty()) return;
    std::string text;
    for (const VersionNotTaken& failure : failures) {
        text += (text.empty() ? "" : "\r\n") + VersionNotTakenText(failure);
    }
    windows_.Beep(kFailureTone.frequencyHz, kFailureTone.milliseconds);
    info_.ShowLasting(text);
}

void CKelvaneDlg::LabelRow(std::size_t row) {
    if (row >= static_cast<std::size_t>(kListRows)) return;
    const SlotRecord& record = slots_[row];
    const std::string label =
        FormatText("%s\r\nV%d.%d", {ModuleTypeName(record.Type), record.Version / 10, record.Version % 10});
    SetRow(static_cast<int>(row), label, ImageOf(record.Type));
    window_->RepaintNow();
}

void CKelvaneDlg::HandleInactiveModule() {
    info_.ShowInfo(MessageText(kInactiveModuleMessage), true, kReadShowMs);
    BroadcastRestart(link_);
    link_.ClosePort();
    status_.SetLink(LinkState::NotConnected);
    window_->EnableControl(res::kModuleList, true);
    EnableCommand(res::kDiscoverButton, true);
}

// After an upgrade every module restarts; the search goes on once a second until the rack answers again,
// for a bounded time, so that a rack that never comes back leaves the operator a working window.
bool CKelvaneDlg::WaitForRestartedRack() {
    if (!BroadcastRestart(link_)) {
        // The line went during the upgrade (a cable pulled): nothing restarts and nothing will answer on it,
        // so the rack is looked for as after any lost link, instead of waiting out the restart.
        link_.ClosePort();
        relinking_ = true;
        status_.SetLink(LinkState::LinkLost);
        info_.ShowInfo(MessageText(kLinkLostSearchingMessage), false, kLongShowMs);
        window_->SetTimer(kRelinkTimer, kRelinkRetryMs);
        return false;
    }
    link_.ClosePort();
    info_.ShowInfo(MessageText(kRebootMessage), false, kRebootShowMs);
    const bool found = SearchUntilFound(
        link_, windows_.GetClock(), kRebootWaitMs, [this] { return info_.Shown(); }, ChosenNumber());
    if (!found) {
        status_.SetLink(LinkState::NotConnected);
        const std::string tried = SearchFailuresText(link_.SearchFailures(), kReasonsNamed);
        info_.ShowInfo(MessageText(kNotFoundMessage) + " " + tried, true, kReadShowMs);
    }
    return found;
}

void CKelvaneDlg::StartSupervision() {
    link_.SetLinkLost(false);
    window_->SetTimer(kSupervisionTimer, kSupervisionPeriodMs);
    SelectSlot(0);
    RestoreLostPlace();
}

std::optional<CKelvaneDlg::OpenPlace> CKelvaneDlg::OpenPlaceNow() const {
    const int row = currentSlot_;
    if (row <= 0 || row >= slots_.ModuleCount || row >= kListRows) return std::nullopt;
    OpenPlace place{row, {}};
    int first = row;
    int last = row;
    if (const std::optional<ModulePair> pair = FindModulePair(slots_, row, kListRows)) {
        first = pair->inputRow;
        last = std::max(pair->inputRow, pair->outputRow);
    } else if (RoleOf(slots_[row].Type) != ModuleRole::CommonInterface) {
        return std::nullopt;
    }
    for (int r = first; r <= last; ++r) place.rowTypes.emplace_back(r, slots_[r].Type);
    return place;
}

// The pair or CAM that was open when the link went is opened again, provided the rack came back with the
// same modules in the same rows: anything else could show the operator another module's settings.
void CKelvaneDlg::RestoreLostPlace() {
    relinking_ = false;
    const std::optional<OpenPlace> place = std::exchange(lostPlace_, std::nullopt);
    if (!place) return;
    for (const auto& [row, type] : place->rowTypes) {
        if (row >= slots_.ModuleCount || slots_[row].Type != type) return;
    }
    SelectSlot(place->row);
}

void CKelvaneDlg::SupervisionTick() {
    window_->KillTimer(kSupervisionTimer);
    if (!link_.TakeLinkLost()) {
        window_->SetTimer(kSupervisionTimer, kSupervisionPeriodMs);
        return;
    }
    lostPlace_ = OpenPlaceNow();
    relinking_ = true;
    link_.ClosePort();
    SelectSlot(kNoSlot);
    DiscoverRack();
}

}  // namespace kelvane
