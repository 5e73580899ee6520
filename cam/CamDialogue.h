#pragma once

#include "cam/MmiEvents.h"
#include "cam/MmiPackets.h"
#include "cam/MmiReceiver.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

class Clock;
class CXmit;

// The status byte of a common-interface slot without a CAM.
constexpr std::uint8_t kNoCam = 0;

// Whoever shows the CAM's screen: the CAM menu's window, or kelvane-cli's terminal. The dialogue has taken its
// own state from each call's cause before it calls.
class CamDialogueView {
public:
    virtual ~CamDialogueView() = default;
    // Everything the CAM said, in order.
    virtual void ShowEvent(const MmiEvent& event) = 0;
    // The CAM's status changed; with 0 the CAM is gone, and its screen with it.
    virtual void ShowStatus(int status) = 0;
    // A choice was made on the screen on show: the screen is gone until the CAM sends the next.
    virtual void ChoiceQueued() {}
    // The question on show was answered or cancelled.
    virtual void AnswerQueued() {}
    // A message for the operator, from the catalogue, and how long it stays.
    virtual void ShowNotice(const std::string& text, std::uint32_t durationMs) = 0;
};

// What one turn of the exchange did.
struct CamTurn {
    bool readData = false;  // the read brought bytes
    bool sent = false;  // a queued packet went out
    bool refused = false;  // the module refused the packet that went out
    bool oversized = false;  // the CAM sent a packet longer than the receiver takes; it was dropped
};

// The dialogue with the CAM of one common-interface module, free of any window: the status, the exchange of MMI
// data, the one packet that waits to be sent, the main-menu requests while no screen comes, the CAM closing its
// menu, and the operator's messages. The CAM menu's timer drives it every 10 ms, kelvane-cli's loop likewise.
// Times are whole seconds of the clock's system time.
class CamDialogue {
public:
    // How often the CAM menu's timer and kelvane-cli's loop take a turn.
    static constexpr unsigned kTurnMs = 10;
    // While no menu, list or question comes, the main menu is asked for again when the second after the last
    // request has passed: every two seconds of the clock.
    static constexpr std::int64_t kMenuRetrySeconds = 1;
    // A packet sent is given this long for the CAM's answer before the next one goes.
    static constexpr std::int64_t kHoldSeconds = 2;
    // A CAM that has just come needs time before it can show a menu.
    static constexpr std::int64_t kInitSeconds = 15;
    // After going back, the main menu is asked for again if the CAM shows nothing else by then.
    static constexpr std::int64_t kBackSeconds = 2;
    // A CAM may meet every answer with a new question: one who answers without a person stops after this many.
    static constexpr int kMostAnswers = 32;

    CamDialogue(const Clock& clock, CamDialogueView& view) : clock_(clock), view_(view) {}

    // Starts afresh with the module at `address`: nothing of an earlier dialogue stays.
    void Open(CXmit& link, std::uint8_t address);

    // One turn of the CAM menu's timer: the status, then the exchange. False when the module did not answer the
    // status request; the exchange is then left out.
    bool Tick();
    // The status request; false when the module did not answer it.
    bool PollStatus();
    // Reads the MMI data, sends the packet that waits once the hold allows, and asks for the main menu when due.
    CamTurn Exchange();

    // What is queued for the CAM; only one packet waits, the last one queued.
    void QueueEnterMenu();
    void QueueMenuAnswer(std::uint8_t choice);
    void QueueAnswer(const std::string& text);
    // Back to the previous menu; the main menu is asked for if nothing follows.
    void GoBack();

    int CamStatus() const { return camStatus_; }
    std::int64_t MenuDeadline() const { return menuDeadline_; }
    std::int64_t HoldUntil() const { return holdUntil_; }
    bool RequestPending() const { return requestPending_; }
    std::span<const std::uint8_t> QueuedRequest() const { return {requestBuffer_.data(), requestLength_}; }
    bool MmiOpen() const { return mmiOpen_; }
    bool ListShown() const { return listShown_; }
    // A question is on show and not yet answered, and whether its answer is typed unseen.
    bool QuestionOpen() const { return questionOpen_; }
    bool BlindAnswer() const { return blindAnswer_; }
    int AnswersQueued() const { return answersQueued_; }
    bool AnswersExhausted() const { return answersQueued_ >= kMostAnswers; }
    std::size_t OversizedPackets() const { return receiver_.OversizedPackets(); }

private:
    void TakeStatus(int status);
    void Take(const MmiEvent& event);
    void ScreenCame();
    void ScreenGone();
    // The packet that waits is the main-menu request.
    bool EnterMenuWaits() const;
    void Queue(std::span<const std::uint8_t> packet);
    bool SendQueuedRequest();
    void Notice(int id, std::uint32_t durationMs);
    std::int64_t Now() const;

    const Clock& clock_;
    CamDialogueView& view_;
    CXmit* link_ = nullptr;
    std::uint8_t address_ = 0;
    int camStatus_ = -1;
    std::int64_t menuDeadline_ = 0;
    std::int64_t holdUntil_ = 0;
    bool requestPending_ = false;
    std::uint16_t requestLength_ = 0;
    std::array<std::uint8_t, kRequestBufferSize> requestBuffer_{};
    bool mmiOpen_ = false;
    bool listShown_ = false;
    bool questionOpen_ = false;
    bool blindAnswer_ = false;
    int answersQueued_ = 0;
    MmiReceiver receiver_;
};

}  // namespace kelvane
