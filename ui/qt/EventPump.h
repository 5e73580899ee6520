#pragma once

#include "platform/Clock.h"
#include "platform/WaitHook.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QMessageBox;
class QWidget;
class QWindow;

namespace kelvane::ui::qtback {

// Runs `action` once the program's work is done: at once when nothing waits, else as soon as the program is
// back in its event loop. Nothing runs once `context` is gone.
void WhenWorkIsDone(QObject* context, std::function<void()> action);

// The window system's turn inside the program's waits. It lets Qt paint, answer the window manager and run
// what needs no program at all, a few times every tenth of a second; it holds the operator's input to the
// program's windows, to be delivered in order once the work is done, and the program's timers wait too (see
// QtDialog). So one exchange on the line can never start another. In a busy sequence the input is dropped
// instead. The close box is the exception: it asks its question at once when the program has set one.
class EventPump final : public QObject, public WaitHook {
public:
    EventPump();
    ~EventPump() override;

    void WhileWaiting() override;

    // A question taken back (the work that made it is over) closes the question still on show: its answer
    // would end the program, now for no reason, once the operator gives it.
    void GuardClose(const QString& question);
    // While busy, the program's windows show the busy cursor, and the operator's input to them is dropped with
    // a beep instead of being held: nothing acts long after it was given. Calls nest.
    void BeginBusy();
    void EndBusy();
    // What a confirmed close does in the middle of the work; the process ends at once unless told otherwise.
    void SetProgramEnd(std::function<void()> end) { endProgram_ = std::move(end); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct HeldEvent {
        QPointer<QWindow> window;
        std::unique_ptr<QEvent> event;
    };

    static QWidget* ProgramWindowOf(QObject* watched);
    void Hold(QWindow* window, const QEvent& event);
    void ReleaseHeld();
    void AskBeforeEnding(QWidget* window);
    void Drop(const QEvent& event);

    QElapsedTimer sincePump_;
    std::vector<HeldEvent> held_;
    bool releaseDue_ = false;
    QString closeQuestion_;
    QPointer<QMessageBox> question_;
    std::function<void()> endProgram_;
    int busyDepth_ = 0;
};

// A clock whose sleeps are slices with the window system's turn between them.
class PumpingClock final : public Clock {
public:
    PumpingClock(Clock& clock, WaitHook& waits) : clock_(clock), waits_(waits) {}
    std::uint64_t TickCount() const override { return clock_.TickCount(); }
    std::time_t SystemSeconds() const override { return clock_.SystemSeconds(); }
    void Sleep(std::uint32_t milliseconds) override;

private:
    Clock& clock_;
    WaitHook& waits_;
};

}  // namespace kelvane::ui::qtback
