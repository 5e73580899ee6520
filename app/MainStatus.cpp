#include "app/MainStatus.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"

namespace kelvane {
namespace {

int StateText(LinkState state) {
    switch (state) {
    case LinkState::Searching: return kStatusSearchingText;
    case LinkState::Connected: return kStatusConnectedText;
    case LinkState::NoRack: return kStatusNoRackText;
    case LinkState::LinkLost: return kStatusLinkLostText;
    case LinkState::NotConnected: return kStatusNotConnectedText;
    }
    return kStatusSearchingText;
}

}  // namespace

std::string RackPlaceText(const std::string& name, const std::string& entry) {
    const std::string place = FormatText(MessageText(kTitleWithRackText), {entry});
    return name.empty() ? place : name + ", " + place;
}

void MainStatus::Attach(ui::Dialog& window) {
    window_ = &window;
    Show();
}

void MainStatus::SetLink(LinkState state, const std::string& place, int modules) {
    // A lost link keeps naming the place it was lost on while the search goes on.
    if (state == LinkState::LinkLost && place.empty()) {
        state_ = state;
        modules_ = 0;
        return Show();
    }
    state_ = state;
    place_ = place;
    modules_ = modules;
    Show();
}

void MainStatus::SetLastWrite(const std::string& report) {
    lastWrite_ = report;
    Show();
}

std::vector<std::string> MainStatus::Fields() const {
    const bool connected = state_ == LinkState::Connected;
    return {MessageText(StateText(state_)), place_,
            connected ? FormatText(MessageText(kStatusModulesText), {modules_}) : "", lastWrite_};
}

void MainStatus::Show() {
    if (window_ != nullptr) window_->SetStatusFields(Fields());
}

}  // namespace kelvane
