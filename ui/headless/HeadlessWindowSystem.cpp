#include "ui/headless/HeadlessWindowSystem.h"

#include <algorithm>
#include <utility>

namespace kelvane::ui {

HeadlessWindowSystem::HeadlessWindowSystem(Clock& clock)
    : clock_(clock), virtualClock_(dynamic_cast<VirtualClock*>(&clock)) {}

std::unique_ptr<Dialog> HeadlessWindowSystem::CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                           Dialog* parent) {
    return std::make_unique<HeadlessDialog>(*this, dialogTemplate, handler, dynamic_cast<HeadlessDialog*>(parent));
}

int HeadlessWindowSystem::RunModal(Dialog& dialog) {
    dialog.Show(true);
    if (onModal) onModal(static_cast<HeadlessDialog&>(dialog));
    dialog.Show(false);
    for (auto it = modalResults_.begin(); it != modalResults_.end(); ++it) {
        if (it->first == &dialog) {
            const int result = it->second;
            modalResults_.erase(it);
            return result;
        }
    }
    return -1;
}

void HeadlessWindowSystem::EndModal(Dialog& dialog, int result) { modalResults_.emplace_back(&dialog, result); }

std::optional<std::string> HeadlessWindowSystem::AskOpenFile(const FileDialogRequest& request) {
    return AnswerFileRequest(request, openAnswers);
}

std::optional<std::string> HeadlessWindowSystem::AskSaveFile(const FileDialogRequest& request) {
    return AnswerFileRequest(request, saveAnswers);
}

// The operator, played by the test, gives the answers queued for this kind of question in turn, and cancels once
// they run out.
std::optional<std::string> HeadlessWindowSystem::AnswerFileRequest(const FileDialogRequest& request,
                                                                   std::deque<std::optional<std::string>>& answers) {
    fileRequests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

void HeadlessWindowSystem::StartTimer(HeadlessDialog& dialog, int timerId, unsigned milliseconds) {
    StopTimer(dialog, timerId);
    timers_.push_back({&dialog, timerId, std::max(1u, milliseconds), clock_.TickCount() + std::max(1u, milliseconds)});
}

void HeadlessWindowSystem::StopTimer(const HeadlessDialog& dialog, int timerId) {
    std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog && t.id == timerId; });
}

void HeadlessWindowSystem::Forget(HeadlessDialog& dialog) {
    std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog; });
    std::erase(dialogs_, &dialog);
}

bool HeadlessWindowSystem::TimerActive(const Dialog& dialog, int timerId) const {
    return TimerDue(dialog, timerId).has_value();
}

std::optional<std::uint64_t> HeadlessWindowSystem::TimerDue(const Dialog& dialog, int timerId) const {
    for (const Timer& t : timers_) {
        if (t.dialog == &dialog && t.id == timerId) return t.due;
    }
    return std::nullopt;
}

HeadlessDialog* HeadlessWindowSystem::Find(int templateId) const {
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
        if ((*it)->TemplateId() == templateId) return *it;
    }
    return nullptr;
}

std::vector<HeadlessWindowSystem::Timer>::iterator HeadlessWindowSystem::NextDue() {
    return std::min_element(timers_.begin(), timers_.end(),
                            [](const Timer& a, const Timer& b) { return a.due < b.due; });
}

void HeadlessWindowSystem::InputAt(std::uint64_t afterMs, std::function<void()> action) {
    const std::uint64_t due = clock_.TickCount() + afterMs;
    const auto at = std::upper_bound(planned_.begin(), planned_.end(), due,
                                     [](std::uint64_t d, const PlannedInput& p) { return d < p.due; });
    planned_.insert(at, {due, std::move(action)});
}

void HeadlessWindowSystem::TakeDueInput(bool waiting) {
    if (!waiting) {
        for (auto& held : std::exchange(heldInput_, {})) held();
    }
    while (!planned_.empty() && planned_.front().due <= clock_.TickCount()) {
        std::function<void()> action = std::move(planned_.front().action);
        planned_.erase(planned_.begin());
        if (Busy()) {
            ++droppedInputs;
            Beep(kBusyBeepHz, kBusyBeepMs);
        } else if (waiting) {
            heldInput_.push_back(std::move(action));
        } else {
            action();
        }
    }
}

void HeadlessWindowSystem::FocusChain(HeadlessDialog& dialog,
                                      std::vector<std::pair<HeadlessDialog*, int>>& chain) const {
    if (!dialog.IsShown()) return;
    for (const ControlTemplate& source : dialog.Template().controls) {
        const auto& control = dialog.ControlState(source.id);
        if ((source.style & kTabStop) != 0 && control.shown && control.enabled) chain.emplace_back(&dialog, source.id);
    }
    for (HeadlessDialog* child : dialogs_) {
        if (child->Parent() == &dialog) FocusChain(*child, chain);
    }
}

void HeadlessWindowSystem::PressTab(HeadlessDialog& window, bool backwards) {
    std::vector<std::pair<HeadlessDialog*, int>> chain;
    FocusChain(window, chain);
    if (chain.empty()) return;
    const auto focused = std::find_if(chain.begin(), chain.end(),
                                      [](const auto& entry) { return entry.first->FocusedControl() == entry.second; });
    const auto count = static_cast<std::ptrdiff_t>(chain.size());
    std::ptrdiff_t next = backwards ? count - 1 : 0;
    if (focused != chain.end()) next = ((focused - chain.begin()) + (backwards ? count - 1 : 1)) % count;
    auto [dialog, control] = chain[static_cast<std::size_t>(next)];
    for (const auto& [other, id] : chain) {
        if (other != dialog && other->FocusedControl() != 0) other->SetFocus(0);
    }
    dialog->SetFocus(control);
}

void HeadlessWindowSystem::RunDueTimers() {
    TakeDueInput(false);
    // A handler may start, stop or re-arm timers, so every round looks for the next due timer afresh.
    const std::uint64_t now = clock_.TickCount();
    for (;;) {
        auto next = NextDue();
        if (next == timers_.end() || next->due > now) return;
        HeadlessDialog* dialog = next->dialog;
        const int id = next->id;
        next->due = now + next->period;  // a window timer repeats until it is killed
        dialog->Handler().OnTimer(id);
    }
}

void HeadlessWindowSystem::RunFor(std::uint64_t milliseconds) {
    const std::uint64_t end = clock_.TickCount() + milliseconds;
    while (clock_.TickCount() < end) {
        RunDueTimers();
        auto next = NextDue();
        std::uint64_t target = next == timers_.end() ? end : std::min(end, std::max(next->due, clock_.TickCount() + 1));
        if (!planned_.empty()) target = std::min(target, std::max(planned_.front().due, clock_.TickCount() + 1));
        if (virtualClock_ != nullptr) {
            virtualClock_->Advance(target - clock_.TickCount());
        } else {
            const std::uint64_t left = target - clock_.TickCount();
            clock_.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(left, longestSleepMs_)));
        }
    }
    RunDueTimers();
}

}  // namespace kelvane::ui
