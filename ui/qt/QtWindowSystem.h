#pragma once

#include "ui/WindowSystem.h"
#include "ui/qt/QtDialog.h"

#include <functional>
#include <memory>

class QObject;

namespace kelvane::ui::qtback {
class EventPump;
}
class QTranslator;

namespace kelvane::ui {

// The window system of the program on Qt Widgets. A QApplication must exist before it and outlive it.
// Dialogs it makes are QtDialogs; a parent given to CreateDialog must be one of them.
class QtWindowSystem final : public WindowSystem {
public:
    explicit QtWindowSystem(Clock& clock);
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                         Dialog* parent) override;
    int RunModal(Dialog& dialog) override;
    void EndModal(Dialog& dialog, int result) override;
    void UseLanguage(const std::string& code) override;
    Clock& GetClock() override { return *pumpingClock_; }
    WaitHook& Waits() override;
    void GuardClose(const std::string& question) override;
    // Where the windows stood is kept between runs in `folder` (the program's data folder).
    void KeepWindowPlacesIn(const std::string& folder);
    // What a close confirmed in the middle of the work does instead of ending the process: for tests.
    void SetProgramEnd(std::function<void()> end);
    void Beep(unsigned frequencyHz, unsigned milliseconds) override;
    void BeginBusy() override;
    void EndBusy() override;
    std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
    std::string ToolkitVersion() const override;

private:
    static QtDialog* AsQtDialog(Dialog& dialog, const char* operation);

    std::unique_ptr<QObject> keyRouter_;
    std::unique_ptr<QObject> focusFrame_;
    std::unique_ptr<qtback::EventPump> pump_;
    std::unique_ptr<Clock> pumpingClock_;
    std::unique_ptr<QTranslator> qtTexts_;
};

}  // namespace kelvane::ui
