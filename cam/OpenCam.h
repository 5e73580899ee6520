#pragma once

#include "app/PanelInterfaces.h"
#include "cam/CamDialogue.h"
#include "ui/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kelvane {

class CInfo;
class CXmit;

// The CAM menu of a common-interface module: it polls the module for the CAM's status and MMI data, shows the
// CAM's menus, lists and questions, and sends the operator's choices and answers. Its window exists from the
// start, hidden. The dialogue itself is the window-free CamDialogue, which its timer drives.
class COpenCam final : public CamMenu, public ui::DialogHandler, private CamDialogueView {
public:
    static constexpr int kPollTimer = 1;
    static constexpr unsigned kPollPeriodMs = CamDialogue::kTurnMs;

    explicit COpenCam(ui::WindowSystem& windows) : windows_(windows), dialogue_(windows.GetClock(), *this) {}

    // CamMenu.
    void Create(ui::Dialog& mainWindow, const PanelServices& services) override;
    ui::Dialog& Window() override { return *window_; }
    void OpenCamMenu(SlotRecord& module) override;
    void ClearCamList() override;
    void CloseCamMenu() override;

    // What the operator's actions queue for the CAM; only one packet waits, the last one queued.
    void QueueEnterMenu() { dialogue_.QueueEnterMenu(); }
    void QueueMenuAnswer(std::uint8_t choice) { dialogue_.QueueMenuAnswer(choice); }
    void QueueAnswer(const std::string& text) { dialogue_.QueueAnswer(text); }

    // ui::DialogHandler: timer 1, the double-click, the answer edit losing the focus, Enter and Escape.
    void OnTimer(int timerId) override;
    void OnNotify(const ui::Notification& notification) override;
    void OnOk() override;
    void OnCancel() override;

    SlotRecord* CamModule() const { return camModule_; }
    int CamStatus() const { return dialogue_.CamStatus(); }
    std::int64_t MenuDeadline() const { return dialogue_.MenuDeadline(); }
    std::int64_t HoldUntil() const { return dialogue_.HoldUntil(); }
    bool RequestPending() const { return dialogue_.RequestPending(); }
    std::span<const std::uint8_t> QueuedRequest() const { return dialogue_.QueuedRequest(); }
    bool MmiOpen() const { return dialogue_.MmiOpen(); }
    bool ListShown() const { return dialogue_.ListShown(); }

private:
    void InitCamDialog();
    // The answer that entry `index` of the list stands for, queued; false when it stands for none.
    bool ChooseEntry(int index);

    void PollTick();

    // CamDialogueView: what the CAM said, on screen.
    void ShowEvent(const MmiEvent& event) override;
    void ShowStatus(int status) override;
    void ChoiceQueued() override { ClearCamList(); }
    void AnswerQueued() override { HideAnswerEdit(); }
    void ShowNotice(const std::string& text, std::uint32_t durationMs) override;

    void ShowStatusPicture(int picture);
    void ShowMenuStart();
    void ClearScreen();
    void PlaceText(const std::string& text);
    void InsertEntry(int index, const std::string& text);
    void AskQuestion(const MmiEvent& enquiry);
    void HideAnswerEdit();
    bool AnswerFocused() const;

    ui::WindowSystem& windows_;
    CXmit* link_ = nullptr;
    CInfo* info_ = nullptr;
    std::unique_ptr<ui::Dialog> window_;
    SlotRecord* camModule_ = nullptr;
    CamDialogue dialogue_;
};

}  // namespace kelvane
