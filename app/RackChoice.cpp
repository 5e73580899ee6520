#include "app/RackChoice.h"

#include "app/MainStatus.h"
#include "app/MessageCatalogue.h"
#include "app/PortReasons.h"
#include "link/Xmit.h"
#include "platform/FileToolkit.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <algorithm>
#include <memory>

namespace kelvane {
namespace {

// An entry is one line of the table: anything longer is not one the program wrote.
constexpr std::uintmax_t kChosenRackLimit = 4096;
constexpr std::size_t kMostEntries = 256;

class RackChoiceDialog final : public ui::DialogHandler {
public:
    RackChoiceDialog(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption,
                     const std::vector<std::string>& rows, int current)
        : windows_(windows), window_(windows.CreateDialog(res::ConnectDialogTemplate(), *this, &owner)) {
        window_->SetCaption(caption);
        window_->SetText(res::kConnectOkButton, MessageText(kConnectButtonText));
        window_->SetText(res::kConnectCancelButton, MessageText(kCancelText));
        for (const std::string& row : rows) window_->AddItem(res::kConnectList, row);
        window_->SetCurrentIndex(res::kConnectList, current);
    }
    // The row chosen plus one; 0 or less when none was.
    int Run() {
        window_->SetFocus(res::kConnectList);
        return windows_.RunModal(*window_);
    }
    void OnNotify(const ui::Notification& n) override {
        const bool chosen = (n.control == res::kConnectOkButton && n.event == ui::Event::Clicked) ||
                            (n.control == res::kConnectList && n.event == ui::Event::DoubleClicked);
        if (chosen) Choose();
        if (n.control == res::kConnectCancelButton && n.event == ui::Event::Clicked) End(0);
    }
    void OnOk() override { Choose(); }
    void OnCancel() override { End(0); }
    void OnClose() override { End(0); }

private:
    void Choose() {
        const int row = window_->CurrentIndex(res::kConnectList);
        if (row >= 0) End(row + 1);
    }
    void End(int result) { windows_.EndModal(*window_, result); }

    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
};

}  // namespace

std::optional<std::string> ReadChosenRack(const std::filesystem::path& folder) {
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    if (!ReadRegularFile(folder / kChosenRackFileName, kChosenRackLimit, bytes, error)) return std::nullopt;
    std::string entry(bytes.begin(), std::find(bytes.begin(), bytes.end(), '\n'));
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    if (entry.empty()) return std::nullopt;
    return entry;
}

bool WriteChosenRack(const std::filesystem::path& folder, const std::string& entry) {
    const std::string text = entry.empty() ? std::string() : entry + "\n";
    std::error_code error;
    return ReplaceFileAtomically(folder / kChosenRackFileName,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, error);
}

std::optional<std::uint8_t> FindEntry(const PortOpener& ports, const std::string& entry) {
    const std::size_t count = std::min(ports.EntryCount(), kMostEntries);
    for (std::size_t n = 0; n < count; ++n) {
        if (ports.Describe(static_cast<std::uint8_t>(n)) == entry) return static_cast<std::uint8_t>(n);
    }
    return std::nullopt;
}

void EntryStates::Note(const CXmit& link, bool found) {
    for (const OpenFailure& failure : link.SearchFailures()) states_[failure.device] = failure;
    if (found) states_[link.PortName()] = std::nullopt;
}

std::vector<std::string> EntryStates::ChoiceRows(const PortOpener& ports) const {
    std::vector<std::string> rows{MessageText(kSearchAllText)};
    const std::size_t count = std::min(ports.EntryCount(), kMostEntries);
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint8_t number = static_cast<std::uint8_t>(n);
        const std::string entry = ports.Describe(number);
        const auto state = states_.find(entry);
        const std::string name = ports.RackName(number);
        if (state != states_.end() && state->second) {
            // The reason names the entry itself.
            rows.push_back((name.empty() ? "" : name + " \u2014 ") + OpenFailureText(*state->second));
            continue;
        }
        const int last = state == states_.end() ? kEntryNotTriedText : kEntryFoundText;
        rows.push_back(RackPlaceText(name, entry) + " \u2014 " + MessageText(last));
    }
    return rows;
}

std::optional<int> AskRackChoice(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption,
                                 const std::vector<std::string>& rows, int current) {
    const int result = RackChoiceDialog(windows, owner, caption, rows, current).Run();
    if (result <= 0) return std::nullopt;
    return result - 1;
}

}  // namespace kelvane
