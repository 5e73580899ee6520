#pragma once

#include "platform/VirtualClock.h"
#include "ui/WindowSystem.h"
#include "ui/headless/HeadlessDialog.h"

#include <deque>
#include <functional>
#include <vector>

namespace kelvane::ui {

// The window system of the tests: no windows, a clock that moves when told, timers that fire as it moves,
// beeps written down and file dialogs answered from a script.
class HeadlessWindowSystem final : public WindowSystem {
public:
    struct Beeped {
        unsigned frequencyHz;
        unsigned milliseconds;
        bool operator==(const Beeped&) const = default;
    };

    // Timers follow `clock`. With a virtual clock RunFor moves it; with a real one RunFor waits.
    explicit HeadlessWindowSystem(Clock& clock);

    std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                         Dialog* parent) override;
    int RunModal(Dialog& dialog) override;
    void EndModal(Dialog& dialog, int result) override;
    void UseLanguage(const std::string& code) override { language = code; }
    Clock& GetClock() override { return clock_; }
    WaitHook& Waits() override { return waits_; }
    void GuardClose(const std::string& question) override { closeGuards.push_back(question); }
    void Beep(unsigned frequencyHz, unsigned milliseconds) override { beeps.push_back({frequencyHz, milliseconds}); }
    void BeginBusy() override { ++busyDepth_; }
    void EndBusy() override { --busyDepth_; }
    bool Busy() const { return busyDepth_ > 0; }
    std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
    std::string ToolkitVersion() const override { return "Headless"; }

    // Lets time pass for `milliseconds`, firing every timer that falls due on the way, in order.
    void RunFor(std::uint64_t milliseconds);
    // With a real clock, RunFor sleeps at most this long at a time (5 ms unless set), so that a test watching
    // another thread sees it often; an event loop's measure sets it long, to sleep until the next timer.
    void SetLongestSleep(std::uint32_t milliseconds) { longestSleepMs_ = milliseconds; }
    // Fires the timers already due, after the operator's input that is due.
    void RunDueTimers();
    // The operator's `action` (a click, a key) `afterMs` from now, whatever the program is doing then. As on
    // the real window system: in the middle of a busy sequence it is dropped with a beep; in the middle of
    // another wait it is held until the work is done; otherwise it acts when RunFor reaches it.
    void InputAt(std::uint64_t afterMs, std::function<void()> action);
    int droppedInputs = 0;
    // Tab (or Shift+Tab) in `window`: the focus moves to the next control that takes it, in the order of the
    // templates, through the window's own controls and then those of the panels on show inside it.
    void PressTab(HeadlessDialog& window, bool backwards = false);
    bool TimerActive(const Dialog& dialog, int timerId) const;
    // When the timer fires next, in ticks of the clock; nothing when it is not running.
    std::optional<std::uint64_t> TimerDue(const Dialog& dialog, int timerId) const;

    // The live dialog built from template `templateId` (the last one made), or null.
    HeadlessDialog* Find(int templateId) const;

    std::string language;
    // Every question GuardClose was given, in order ("" when it was taken back), and the link's waits.
    std::vector<std::string> closeGuards;
    int LinkWaits() const { return waits_.count; }
    std::vector<Beeped> beeps;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<FileDialogRequest> fileRequests;
    // Plays the operator's part in a modal dialog: it may click, then end the dialog.
    std::function<void(HeadlessDialog&)> onModal;

    // Used by HeadlessDialog.
    void StartTimer(HeadlessDialog& dialog, int timerId, unsigned milliseconds);
    void StopTimer(const HeadlessDialog& dialog, int timerId);
    void Forget(HeadlessDialog& dialog);
    void Remember(HeadlessDialog& dialog) { dialogs_.push_back(&dialog); }

private:
    struct CountedWaits final : WaitHook {
        explicit CountedWaits(HeadlessWindowSystem& system) : system_(system) {}
        void WhileWaiting() override {
            ++count;
            system_.TakeDueInput(true);
        }
        HeadlessWindowSystem& system_;
        int count = 0;
    };
    struct PlannedInput {
        std::uint64_t due;
        std::function<void()> action;
    };

    void TakeDueInput(bool waiting);
    std::optional<std::string> AnswerFileRequest(const FileDialogRequest& request,
                                                 std::deque<std::optional<std::string>>& answers);
    void FocusChain(HeadlessDialog& dialog, std::vector<std::pair<HeadlessDialog*, int>>& chain) const;

    struct Timer {
        HeadlessDialog* dialog;
        int id;
        unsigned period;
        std::uint64_t due;
    };

    std::vector<Timer>::iterator NextDue();

    Clock& clock_;
    std::uint32_t longestSleepMs_ = 5;
    VirtualClock* virtualClock_;
    CountedWaits waits_{*this};
    int busyDepth_ = 0;
    std::vector<PlannedInput> planned_;  // by due time
    std::vector<std::function<void()>> heldInput_;
    std::vector<Timer> timers_;
    std::vector<HeadlessDialog*> dialogs_;
    std::vector<std::pair<const Dialog*, int>> modalResults_;
};

}  // namespace kelvane::ui
