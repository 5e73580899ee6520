// The operator's side of the CAM menu: what is queued for the CAM, and the actions that queue it.

#include "cam/OpenCam.h"
#include "link/ReplyText.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "cam/MenuLayout.h"
#include "res/ResourceIds.h"

namespace kelvane {

namespace {

constexpr int kAskMenuMessage = 42;
constexpr int kSelectMessage = 43;
constexpr int kAnswerMessage = 44;
constexpr std::uint32_t kQueuedShowMs = 2000;
// After going back, the main menu is asked for again if the CAM shows nothing else by then.
constexpr std::int64_t kBackSeconds = 2;

}  // namespace

void COpenCam::QueueEnterMenu() {
    ShowMessage(kAskMenuMessage, kQueuedShowMs);
    requestLength_ = BuildEnterMenu(requestBuffer_);
    requestPending_ = true;
}

void COpenCam::QueueMenuAnswer(std::uint8_t choice) {
    listShown_ = false;
    ClearCamList();
    ShowText(FormatText(MessageText(kSelectMessage), {choice}), kQueuedShowMs);
    if (!mmiOpen_) return;
    requestLength_ = BuildMenuAnswer(requestBuffer_, choice);
    requestPending_ = true;
}

void COpenCam::QueueAnswer(const std::string& text) {
    // A PIN typed unseen must not be read back in clear under the panel.
    const std::string shown = blindAnswer_ ? std::string(Utf8Length(text), '*') : text;
    ShowText(MessageText(kAnswerMessage) + shown, kQueuedShowMs);
    if (mmiOpen_) {
        requestLength_ = BuildAnswer(requestBuffer_, text);
        requestPending_ = true;
    }
    HideAnswerEdit();
}

void COpenCam::OnNotify(const ui::Notification& notification) {
    if (camModule_ == nullptr) return;
    if (notification.control == res::kCamList && notification.event == ui::Event::DoubleClicked) {
        const int index = notification.row >= 0 ? notification.row : window_->CurrentIndex(res::kCamList);
        const auto choice = ChoiceAt(index, window_->ItemCount(res::kCamList), listShown_);
        if (choice) QueueMenuAnswer(*choice);
    } else if (notification.control == res::kCamAnswerEdit && notification.event == ui::Event::FocusLost &&
               answerAwaited_) {
        QueueAnswer("");
    }
}

void COpenCam::OnOk() {
    if (camModule_ == nullptr) return;
    if (AnswerFocused()) {
        QueueAnswer(window_->Text(res::kCamAnswerEdit));
    } else if (listShown_) {
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
