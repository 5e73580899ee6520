// Timer 1 of the CAM menu: the CAM's status, the exchange of MMI data and the main-menu deadline.

#include "cam/OpenCam.h"

#include "app/MessageCatalogue.h"
#include "cam/CamRequests.h"

#include "link/Xmit.h"
#include "res/ResourceIds.h"

#include <array>

namespace kelvane {
namespace {

using namespace cam;

constexpr std::uint32_t kRefusedShowMs = 5000;
constexpr std::uint32_t kInitingShowMs = 15000;
// A CAM that has just come needs time before it can show a menu.
constexpr std::int64_t kInitSeconds = 15;
// A packet sent is given this long for the CAM's answer before the next one goes.
constexpr std::int64_t kHoldSeconds = 2;
// While no menu comes, the main menu is asked for again one to two seconds later.
constexpr std::int64_t kMenuRetrySeconds = 1;

// Red for no CAM, amber for a CAM present, green once it shows a menu. A status without a picture of its own
// (above 2) still means a CAM is there: amber.
constexpr std::array<int, 3> kStatusPictures{res::kRedLampBitmap, res::kAmberLampBitmap, res::kGreenLampBitmap};
constexpr int kAmberPicture = 1;

}  // namespace

void COpenCam::OnTimer(int timerId) {
    if (timerId == kPollTimer) PollTick();
}

void COpenCam::PollTick() {
    window_->KillTimer(kPollTimer);
    // A module that does not answer stops the polling; the link supervision takes it from there.
    if (!PollStatus()) return;
    ExchangeMmiData();
    if (menuDeadline_ != 0 && Now() > menuDeadline_) {
        menuDeadline_ = Now() + kMenuRetrySeconds;
        QueueEnterMenu();
    }
    window_->SetTimer(kPollTimer, kPollPeriodMs);
}

bool COpenCam::PollStatus() {
    if (!link_->XmitRequest({}, camModule_->Address, kCamStatusCommand, kStatusTimeout)) return false;
    // An empty status reply tells nothing new.
    if (link_->Reply().empty()) return true;
    TakeStatus(link_->Reply()[0]);
    return true;
}

void COpenCam::TakeStatus(int status) {
    if (status == camStatus_) return;
    if (status == kNoCam) {
        menuDeadline_ = 0;
        ClearCamList();
        // A pulled CAM cannot be answered.
        HideAnswerEdit();
    } else if (camStatus_ == -1) {
        menuDeadline_ = Now();
    } else {
        menuDeadline_ = Now() + kInitSeconds;
        ShowMessage(kCamInitingMessage, kInitingShowMs);
    }
    camStatus_ = status;
    ShowStatusPicture(camStatus_ < static_cast<int>(kStatusPictures.size()) ? camStatus_ : kAmberPicture);
}

void COpenCam::ShowStatusPicture(int picture) {
    window_->SetBitmap(res::kCamLampPicture, kStatusPictures[static_cast<std::size_t>(picture)]);
}

void COpenCam::ExchangeMmiData() {
    if (link_->XmitRequest({}, camModule_->Address, kReadMmiCommand, kMmiTimeout) && !link_->Reply().empty()) {
        std::vector<MmiEvent> events;
        const std::size_t oversized = receiver_.OversizedPackets();
        receiver_.WalkChunks(link_->Reply(), events);
        for (const MmiEvent& event : events) Show(event);
        // The receiver drops what it cannot hold; the operator learns why the CAM seems to say nothing.
        if (receiver_.OversizedPackets() != oversized) ShowMessage(kCamPacketTooLongMessage, kRefusedShowMs);
    }
    if (requestPending_ && (holdUntil_ == 0 || Now() > holdUntil_)) SendQueuedRequest();
}

void COpenCam::SendQueuedRequest() {
    requestPending_ = false;
    // A packet the module refused is lost: the operator is told, and asks again.
    if (!link_->XmitRequest(QueuedRequest(), camModule_->Address, kSendMmiCommand, kMmiTimeout)) {
        ShowMessage(kCamSendRefusedMessage, kRefusedShowMs);
    }
    holdUntil_ = Now() + kHoldSeconds;
}

}  // namespace kelvane
