// The operator's side of the CAM menu: what is queued for the CAM, and the actions that queue it.

#include "cam/OpenCam.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "cam/MenuLayout.h"
#include "res/ResourceIds.h"
#include "text/Utf8.h"

#include <algorithm>

namespace kelvane {

namespace {

constexpr std::uint32_t kQueuedShowMs = 2000;
constexpr std::uint32_t kReplacedShowMs = 5000;
// After going back, the main menu is asked for again if the CAM shows nothing else by then.
constexpr std::int64_t kBackSeconds = 2;

}  // namespace

void COpenCam::QueueEnterMenu() {
    ShowMessage(kAskMainMenuMessage, kQueuedShowMs);
    std::array<std::uint8_t, kRequestBufferSize> packet{};
    Queue({packet.data(), BuildEnterMenu(packet)});
}

void COpenCam::QueueMenuAnswer(std::uint8_t choice) {
    listShown_ = false;
    ClearCamList();
    ShowText(FormatText(MessageText(kSelectMenuMessage), {choice}), kQueuedShowMs);
    if (!mmiOpen_) return;
    std::array<std::uint8_t, kRequestBufferSize> packet{};
    Queue({packet.data(), BuildMenuAnswer(packet, choice)});
}

void COpenCam::Queue(std::span<const std::uint8_t> packet) {
    // Only one packet waits. A choice or answer that a newer one replaces before it went out is lost: the
    // operator is told. The main-menu request is asked again anyway while no menu comes.
    const std::span<const std::uint8_t> waiting = QueuedRequest();
    std::array<std::uint8_t, kRequestBufferSize> enterMenu{};
    const std::span<const std::uint8_t> enterMenuPacket{enterMenu.data(), BuildEnterMenu(enterMenu)};
    const auto same = [](std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    };
    if (requestPending_ && !same(waiting, enterMenuPacket) && !same(waiting, packet)) {
        ShowMessage(kCamAnswerReplacedMessage, kReplacedShowMs);
    }
    std::copy(packet.begin(), packet.end(), requestBuffer_.begin());
    requestLength_ = static_cast<std::uint16_t>(packet.size());
    requestPending_ = true;
}

void COpenCam::QueueAnswer(const std::string& text) {
    // A PIN typed unseen must not be read back in clear under the panel.
    const std::string shown = blindAnswer_ ? std::string(Utf8Length(text), '*') : text;
    ShowText(MessageText(kAnswerMessage) + shown, kQueuedShowMs);
    if (mmiOpen_) {
        std::array<std::uint8_t, kRequestBufferSize> packet{};
        Queue({packet.data(), BuildAnswer(packet, text)});
    }
    HideAnswerEdit();
}

void COpenCam::OnNotify(const ui::Notification& notification) {
    if (camModule_ == nullptr) return;
    if (notification.control == res::kCamList && notification.event == ui::Event::DoubleClicked) {
        ChooseEntry(notification.row >= 0 ? notification.row : window_->CurrentIndex(res::kCamList));
    } else if (notification.control == res::kCamAnswerEdit && notification.event == ui::Event::FocusLost &&
               answerAwaited_) {
        QueueAnswer("");
    }
}

bool COpenCam::ChooseEntry(int index) {
    const auto choice = ChoiceAt(index, window_->ItemCount(res::kCamList), listShown_);
    if (choice) QueueMenuAnswer(*choice);
    return choice.has_value();
}

// Enter chooses the entry the keyboard is on, as a double-click does; a list is left with Enter anywhere.
void COpenCam::OnOk() {
    if (camModule_ == nullptr) return;
    if (AnswerFocused()) {
        QueueAnswer(window_->Text(res::kCamAnswerEdit));
    } else if (!ChooseEntry(window_->CurrentIndex(res::kCamList)) && listShown_) {
        QueueMenuAnswer(0);
    }
}

void COpenCam::OnCancel() {
    if (camModule_ == nullptr) return;
    if (AnswerFocused()) {
        QueueAnswer("");
        return;
    }
    // Without a CAM there is no main menu to come back to.
    if (camStatus_ > 0) menuDeadline_ = Now() + kBackSeconds;
    QueueMenuAnswer(0);
}

}  // namespace kelvane
