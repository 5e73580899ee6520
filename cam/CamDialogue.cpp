// The dialogue with a CAM through its common-interface module, as the CAM menu and kelvane-cli both hold it.

#include "cam/CamDialogue.h"

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"
#include "platform/Clock.h"
#include "text/Utf8.h"

#include <algorithm>
#include <vector>

namespace kelvane {
namespace {

constexpr std::uint32_t kConnectingShowMs = 10000;
constexpr std::uint32_t kQueuedShowMs = 2000;
constexpr std::uint32_t kReplacedShowMs = 5000;
constexpr std::uint32_t kRefusedShowMs = 5000;
constexpr std::uint32_t kInitingShowMs = CamDialogue::kInitSeconds * 1000;
constexpr std::uint32_t kMenuShowMs = 10000;
constexpr std::uint32_t kQuestionShowMs = 2000;
constexpr std::uint32_t kUntreatedShowMs = 10000;

bool Same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace

void CamDialogue::Open(CXmit& link, std::uint8_t address) {
    Notice(kConnectingMessage, kConnectingShowMs);
    link_ = &link;
    address_ = address;
    requestPending_ = false;
    mmiOpen_ = false;
    holdUntil_ = 0;
    camStatus_ = -1;
    receiver_.Reset();
    menuDeadline_ = 0;
    // Nothing of an earlier visit stays: neither its list's meaning nor a question left unanswered.
    listShown_ = false;
    questionOpen_ = false;
    blindAnswer_ = false;
    answersQueued_ = 0;
}

bool CamDialogue::Tick() {
    if (!PollStatus()) return false;
    Exchange();
    return true;
}

bool CamDialogue::PollStatus() {
    if (link_ == nullptr || !link_->XmitRequest({}, address_, kStatusCommand, kStatusTimeout)) return false;
    // An empty status reply tells nothing new.
    if (!link_->Reply().empty()) TakeStatus(link_->Reply()[0]);
    return true;
}

void CamDialogue::TakeStatus(int status) {
    if (status == camStatus_) return;
    if (status == kNoCam) {
        menuDeadline_ = 0;
        // A pulled CAM cannot be answered.
        listShown_ = false;
        questionOpen_ = false;
        blindAnswer_ = false;
    } else if (camStatus_ == -1) {
        menuDeadline_ = Now();
    } else {
        menuDeadline_ = Now() + kInitSeconds;
        Notice(kCamInitingMessage, kInitingShowMs);
    }
    camStatus_ = status;
    view_.ShowStatus(camStatus_);
}

CamTurn CamDialogue::Exchange() {
    CamTurn turn;
    if (link_ == nullptr) return turn;
    if (link_->XmitRequest({}, address_, kListCommand, kListTimeout) && !link_->Reply().empty()) {
        turn.readData = true;
        std::vector<MmiEvent> events;
        const std::size_t oversized = receiver_.OversizedPackets();
        receiver_.WalkChunks(link_->Reply(), events);
        for (const MmiEvent& event : events) Take(event);
        // The receiver drops what it cannot hold; the operator learns why the CAM seems to say nothing.
        turn.oversized = receiver_.OversizedPackets() != oversized;
        if (turn.oversized) Notice(kCamPacketTooLongMessage, kRefusedShowMs);
    }
    if (requestPending_ && (holdUntil_ == 0 || Now() > holdUntil_)) {
        turn.sent = true;
        turn.refused = !SendQueuedRequest();
    }
    if (menuDeadline_ != 0 && Now() > menuDeadline_) {
        menuDeadline_ = Now() + kMenuRetrySeconds;
        QueueEnterMenu();
    }
    return turn;
}

bool CamDialogue::SendQueuedRequest() {
    requestPending_ = false;
    // A packet the module refused is lost: the operator is told, and asks again.
    const bool accepted = link_->XmitRequest(QueuedRequest(), address_, kWriteCommand, kWriteTimeout);
    if (!accepted) Notice(kCamSendRefusedMessage, kRefusedShowMs);
    holdUntil_ = Now() + kHoldSeconds;
    return accepted;
}

void CamDialogue::Take(const MmiEvent& event) {
    switch (event.kind) {
    case MmiEventKind::SessionPacket:
        mmiOpen_ = true;
        // The CAM has spoken: whatever waits may go at once.
        holdUntil_ = 0;
        break;
    case MmiEventKind::SessionClosed:
        mmiOpen_ = false;
        ScreenGone();
        break;
    case MmiEventKind::MenuClosed: ScreenGone(); break;
    case MmiEventKind::MenuStart:
    case MmiEventKind::ListStart:
        listShown_ = event.kind == MmiEventKind::ListStart;
        // The CAM has left any question it asked.
        questionOpen_ = false;
        blindAnswer_ = false;
        ScreenCame();
        Notice(kMenuHintMessage, kMenuShowMs);
        break;
    case MmiEventKind::Enquiry:
        questionOpen_ = true;
        blindAnswer_ = event.blind;
        // A question is a screen of its own: asking for the main menu again would take it away unanswered.
        ScreenCame();
        Notice(kQuestionHintMessage, kQuestionShowMs);
        break;
    case MmiEventKind::Untreated:
        view_.ShowNotice(FormatText(MessageText(kTagNotTreatedMessage), {event.tag}), kUntreatedShowMs);
        break;
    case MmiEventKind::Text: break;
    }
    view_.ShowEvent(event);
}

// A main-menu request asked again while the CAM was slow to answer the first would, sent now, have the CAM show
// its main menu a second time.
void CamDialogue::ScreenCame() {
    menuDeadline_ = 0;
    if (EnterMenuWaits()) requestPending_ = false;
}

bool CamDialogue::EnterMenuWaits() const {
    std::array<std::uint8_t, kRequestBufferSize> enterMenu{};
    return requestPending_ && Same(QueuedRequest(), {enterMenu.data(), BuildEnterMenu(enterMenu)});
}

void CamDialogue::ScreenGone() {
    listShown_ = false;
    questionOpen_ = false;
    blindAnswer_ = false;
    // An empty screen helps nobody: the main menu is asked for again, as at opening.
    if (camStatus_ > 0) menuDeadline_ = Now();
}

void CamDialogue::QueueEnterMenu() {
    Notice(kAskMainMenuMessage, kQueuedShowMs);
    std::array<std::uint8_t, kRequestBufferSize> packet{};
    Queue({packet.data(), BuildEnterMenu(packet)});
}

void CamDialogue::QueueMenuAnswer(std::uint8_t choice) {
    listShown_ = false;
    view_.ChoiceQueued();
    view_.ShowNotice(FormatText(MessageText(kSelectMenuMessage), {choice}), kQueuedShowMs);
    if (!mmiOpen_) return;
    std::array<std::uint8_t, kRequestBufferSize> packet{};
    Queue({packet.data(), BuildMenuAnswer(packet, choice)});
}

void CamDialogue::QueueAnswer(const std::string& text) {
    // A PIN typed unseen must not be read back in clear.
    const std::string shown = blindAnswer_ ? std::string(Utf8Length(text), '*') : text;
    view_.ShowNotice(MessageText(kAnswerMessage) + shown, kQueuedShowMs);
    if (mmiOpen_) {
        std::array<std::uint8_t, kRequestBufferSize> packet{};
        Queue({packet.data(), BuildAnswer(packet, text)});
        ++answersQueued_;
    }
    // Cleared before the view takes the answer box away, so that its going sends no cancel after the answer.
    questionOpen_ = false;
    blindAnswer_ = false;
    view_.AnswerQueued();
}

void CamDialogue::GoBack() {
    // Without a CAM there is no main menu to come back to.
    if (camStatus_ > 0) menuDeadline_ = Now() + kBackSeconds;
    QueueMenuAnswer(0);
}

void CamDialogue::Queue(std::span<const std::uint8_t> packet) {
    // Only one packet waits. A choice or answer that a newer one replaces before it went out is lost: the
    // operator is told. The main-menu request is asked again anyway while no menu comes.
    if (requestPending_ && !EnterMenuWaits() && !Same(QueuedRequest(), packet)) {
        Notice(kCamAnswerReplacedMessage, kReplacedShowMs);
    }
    std::copy(packet.begin(), packet.end(), requestBuffer_.begin());
    requestLength_ = static_cast<std::uint16_t>(packet.size());
    requestPending_ = true;
}

void CamDialogue::Notice(int id, std::uint32_t durationMs) { view_.ShowNotice(MessageText(id), durationMs); }

std::int64_t CamDialogue::Now() const { return static_cast<std::int64_t>(clock_.SystemSeconds()); }

}  // namespace kelvane
