#pragma once

#include "app/PanelInterfaces.h"
#include "cam/MmiEvents.h"
#include "cam/MmiPackets.h"
#include "cam/MmiReceiver.h"
#include "ui/WindowSystem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kelvane {

class CInfo;
class CXmit;

// The CAM menu of a common-interface module: it polls the module for the CAM's status and MMI data, shows the
// CAM's menus, lists and questions, and sends the operator's choices and answers. Its window exists from the
// start, hidden. Times are whole seconds of the system clock.
class COpenCam final : public CamMenu, public ui::DialogHandler {
public:
    static constexpr int kPollTimer = 1;
    static constexpr unsigned kPollPeriodMs = 10;

    explicit COpenCam(ui::WindowSystem& windows) : windows_(windows) {}

    // CamMenu.
    void Create(ui::Dialog& mainWindow, const PanelServices& services) override;
    ui::Dialog& Window() override { return *window_; }
    void OpenCamMenu(SlotRecord& module) override;
    void ClearCamList() override;
    void CloseCamMenu() override;

    // What the operator's actions queue for the CAM; only one packet waits, the last one queued.
    void QueueEnterMenu();
    void QueueMenuAnswer(std::uint8_t choice);
    void QueueAnswer(const std::string& text);

    // ui::DialogHandler: timer 1, the double-click, the answer edit losing the focus, Enter and Escape.
    void OnTimer(int timerId) override;
    void OnNotify(const ui::Notification& notification) override;
    void OnOk() override;
    void OnCancel() override;

    SlotRecord* CamModule() const { return camModule_; }
    int CamStatus() const { return camStatus_; }
    std::int64_t MenuDeadline() const { return menuDeadline_; }
    std::int64_t HoldUntil() const { return holdUntil_; }
    bool RequestPending() const { return requestPending_; }
    std::span<const std::uint8_t> QueuedRequest() const { return {requestBuffer_.data(), requestLength_}; }
    bool MmiOpen() const { return mmiOpen_; }
    bool ListShown() const { return listShown_; }

private:
    void InitCamDialog();
    // Puts `packet` (at most kRequestBufferSize bytes) in the one place a packet waits for its turn.
    void Queue(std::span<const std::uint8_t> packet);
    // The answer that entry `index` of the list stands for, queued; false when it stands for none.
    bool ChooseEntry(int index);

    // Timer 1 and the exchange with the module.
    void PollTick();
    bool PollStatus();
    void TakeStatus(int status);
    void ShowStatusPicture(int picture);
    void ExchangeMmiData();
    void SendQueuedRequest();

    // What the CAM said, on screen.
    void Show(const MmiEvent& event);
    void ShowMenuStart(bool list);
    void MenuClosed();
    void PlaceText(const std::string& text);
    void InsertEntry(int index, const std::string& text);
    void AskQuestion(const MmiEvent& enquiry);
    void HideAnswerEdit();
    bool AnswerFocused() const;

    void ShowMessage(int id, std::uint32_t durationMs);
    void ShowText(const std::string& text, std::uint32_t durationMs);
    std::int64_t Now() const;

    ui::WindowSystem& windows_;
    CXmit* link_ = nullptr;
    CInfo* info_ = nullptr;
    std::unique_ptr<ui::Dialog> window_;

    SlotRecord* camModule_ = nullptr;
    int camStatus_ = -1;
    std::int64_t menuDeadline_ = 0;
    std::int64_t holdUntil_ = 0;
    bool requestPending_ = false;
    std::uint16_t requestLength_ = 0;
    std::array<std::uint8_t, kRequestBufferSize> requestBuffer_{};
    bool mmiOpen_ = false;
    bool listShown_ = false;
    // A question is on screen and not yet answered: the edit's losing the focus then cancels it.
    bool answerAwaited_ = false;
    bool blindAnswer_ = false;  // the question on screen wants its answer typed unseen
    MmiReceiver receiver_;
};

}  // namespace kelvane
