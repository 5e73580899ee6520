// The operator's side of the CAM menu: the actions that queue choices and answers for the CAM.

#include "cam/OpenCam.h"

#include "cam/MenuLayout.h"
#include "res/ResourceIds.h"

namespace kelvane {

void COpenCam::OnNotify(const ui::Notification& notification) {
    if (camModule_ == nullptr) return;
    if (notification.control == res::kCamList && notification.event == ui::Event::DoubleClicked) {
        ChooseEntry(notification.row >= 0 ? notification.row : window_->CurrentIndex(res::kCamList));
    } else if (notification.control == res::kCamAnswerEdit && notification.event == ui::Event::FocusLost &&
               dialogue_.QuestionOpen()) {
        QueueAnswer("");
    }
}

bool COpenCam::ChooseEntry(int index) {
    const auto choice = ChoiceAt(index, window_->ItemCount(res::kCamList), dialogue_.ListShown());
    if (choice) QueueMenuAnswer(*choice);
    return choice.has_value();
}

// Enter chooses the entry the keyboard is on, as a double-click does; a list is left with Enter anywhere.
void COpenCam::OnOk() {
    if (camModule_ == nullptr) return;
    if (AnswerFocused()) {
        QueueAnswer(window_->Text(res::kCamAnswerEdit));
    } else if (!ChooseEntry(window_->CurrentIndex(res::kCamList)) && dialogue_.ListShown()) {
        QueueMenuAnswer(0);
    }
}

void COpenCam::OnCancel() {
    if (camModule_ == nullptr) return;
    if (AnswerFocused()) {
        QueueAnswer("");
        return;
    }
    dialogue_.GoBack();
}

}  // namespace kelvane
