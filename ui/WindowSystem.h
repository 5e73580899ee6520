#pragma once

#include "platform/Clock.h"
#include "platform/WaitHook.h"
#include "ui/Dialog.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelvane::ui {

struct FileDialogRequest {
    std::string title;
    std::string directory;  // where the dialog starts
    std::string filterName;  // "Configuration (*.kcf)"
    std::string pattern;  // "*.kcf"
    std::string defaultExtension;  // "kcf", added when the operator typed none
    // The name the program will really use for a chosen one, when it adds to it: a save dialog asks about
    // overwriting that name, so that the file it confirms is the file written.
    std::function<std::string(const std::string&)> finalName;
};

// The short beep of input dropped while the program is busy.
constexpr unsigned kBusyBeepHz = 880;
constexpr unsigned kBusyBeepMs = 60;

// The window system the program runs on: dialogs from templates, the clock, beeps and file dialogs.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A dialog built from `dialogTemplate`, reporting to `handler`, inside `parent` when one is given.
    // The handler must outlive the dialog.
    virtual std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                 Dialog* parent) = 0;

    // Runs `dialog` until EndModal; the value EndModal was given.
    virtual int RunModal(Dialog& dialog) = 0;
    virtual void EndModal(Dialog& dialog, int result) = 0;

    // The operator's language, as a two-letter code ("fr"), for the texts the window system brings itself:
    // the buttons and columns of its file dialogs and questions.
    virtual void UseLanguage(const std::string& code) = 0;

    // The clock, whose sleeps let the windows paint and answer meanwhile.
    virtual Clock& GetClock() = 0;
    // What the link calls while it waits, for the same purpose. While the program waits, its windows paint and
    // the close box is heard, but the operator's input and the program's timers are held until the work is
    // done: nothing starts a second exchange in the middle of one.
    virtual WaitHook& Waits() = 0;

    // While `question` is not empty, the close box asks it (yes or no) before the program ends, even in the
    // middle of the work under way: ending then may leave a module without firmware. Empty: the close box
    // reaches the window's handler once the work under way is done.
    virtual void GuardClose(const std::string& question) = 0;
    virtual void Beep(unsigned frequencyHz, unsigned milliseconds) = 0;

    // Between BeginBusy and its EndBusy the program runs a sequence of exchanges that the operator has to wait
    // for (a search of the rack with its firmware upgrade, an upload): the windows look busy, and input the
    // operator gives them meanwhile is dropped with a beep instead of acting seconds later, once the sequence
    // is done. The close box is heard as before. Calls nest; use BusyScope.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;

    // The chosen path, or nothing when the operator cancelled.
    virtual std::optional<std::string> AskOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> AskSaveFile(const FileDialogRequest& request) = 0;

    // The toolkit the windows are drawn with and its version ("Qt 6.4.2"), for the About box.
    virtual std::string ToolkitVersion() const { return {}; }
};

// The window system busy for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(WindowSystem& windows) : windows_(windows) { windows_.BeginBusy(); }
    ~BusyScope() { windows_.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    WindowSystem& windows_;
};

}  // namespace kelvane::ui
