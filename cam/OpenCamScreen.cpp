// What the CAM said, on the CAM menu's screen: menus and lists in the list box, questions in the answer edit.

#include "cam/OpenCam.h"

#include "cam/MenuLayout.h"
#include "res/ResourceIds.h"
#include "text/ControlCharacters.h"

#include <algorithm>
#include <vector>

namespace kelvane {
namespace {

constexpr int kGreenPicture = 2;

// A CAM's control characters (line breaks, emphasis, escapes) have no meaning in a list box: they show as
// nothing.
std::string Shown(const std::string& camText) { return ReplaceControlCharacters(camText, ""); }

}  // namespace

void COpenCam::ShowEvent(const MmiEvent& event) {
    switch (event.kind) {
    case MmiEventKind::SessionClosed:
    case MmiEventKind::MenuClosed: ClearScreen(); break;
    case MmiEventKind::MenuStart:
    case MmiEventKind::ListStart: ShowMenuStart(); break;
    case MmiEventKind::Text: PlaceText(Shown(event.text)); break;
    case MmiEventKind::Enquiry: AskQuestion(event); break;
    case MmiEventKind::SessionPacket:
    case MmiEventKind::Untreated: break;
    }
}

void COpenCam::ShowMenuStart() {
    ShowStatusPicture(kGreenPicture);
    ClearCamList();
    // The CAM has left any question it asked: its answer box goes, and Enter and the arrows act on the list.
    HideAnswerEdit();
    window_->SetFocus(res::kCamList);
}

void COpenCam::ClearScreen() {
    ClearCamList();
    HideAnswerEdit();
}

void COpenCam::PlaceText(const std::string& text) {
    const TextPlacement place = kelvane::PlaceText(window_->ItemCount(res::kCamList));
    for (int k = 0; k < place.blanks; ++k) window_->AddItem(res::kCamList, "");
    InsertEntry(place.index, text);
}

// The list box only appends, so the entries after `index` are taken off and put back behind the new one.
void COpenCam::InsertEntry(int index, const std::string& text) {
    std::vector<std::string> after;
    for (int k = window_->ItemCount(res::kCamList) - 1; k >= index; --k) {
        after.push_back(window_->ItemText(res::kCamList, k));
        window_->DeleteItem(res::kCamList, k);
    }
    window_->AddItem(res::kCamList, text);
    for (auto it = after.rbegin(); it != after.rend(); ++it) window_->AddItem(res::kCamList, *it);
}

void COpenCam::AskQuestion(const MmiEvent& enquiry) {
    ClearCamList();
    window_->AddItem(res::kCamList, Shown(enquiry.text));
    window_->SetPassword(res::kCamAnswerEdit, enquiry.blind);
    // No more can be typed than an answer packet carries; a CAM that names no length gets that much.
    const int most = static_cast<int>(kMaxAnswerLength);
    const int expected = enquiry.answerLength;
    window_->SetTextLimit(res::kCamAnswerEdit, expected == 0 ? most : std::min(expected, most));
    window_->SetText(res::kCamAnswerEdit, "");
    window_->ShowControl(res::kCamAnswerEdit, true);
    window_->SetFocus(res::kCamAnswerEdit);
}

void COpenCam::HideAnswerEdit() {
    // The dialogue has closed the question first: the edit losing the focus as it hides sends no cancel.
    window_->ShowControl(res::kCamAnswerEdit, false);
    if (window_->FocusedControl() == res::kCamAnswerEdit) window_->SetFocus(res::kCamList);
}

bool COpenCam::AnswerFocused() const {
    return dialogue_.QuestionOpen() && window_->FocusedControl() == res::kCamAnswerEdit;
}

}  // namespace kelvane
