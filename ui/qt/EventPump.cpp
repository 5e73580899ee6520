#include "ui/qt/EventPump.h"

#include "ui/WindowSystem.h"
#include "ui/qt/Activity.h"
#include "ui/qt/Beep.h"
#include "ui/qt/DialogWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

namespace kelvane::ui::qtback {
namespace {

// Often enough that the window answers well within a tenth of a second, seldom enough to cost nothing.
constexpr qint64 kPumpEveryMs = 10;
constexpr std::uint32_t kSleepSliceMs = 10;
// How soon held work is looked at again while the program is still busy.
constexpr int kRetryMs = 20;

bool IsHeldInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return true;
    default: return false;
    }
}

// What the operator meant as an action, worth a beep when it is dropped; its release and repeats are not.
bool IsAction(const QEvent& event) {
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: return true;
    case QEvent::KeyPress: return !static_cast<const QKeyEvent&>(event).isAutoRepeat();
    default: return false;
    }
}

// Moving over a busy window is forgotten rather than held: only its last place would matter.
bool IsDroppedInput(QEvent::Type type) {
    return type == QEvent::MouseMove || type == QEvent::ContextMenu || type == QEvent::ShortcutOverride;
}

}  // namespace

void WhenWorkIsDone(QObject* context, std::function<void()> action) {
    if (!Waiting()) return action();
    QTimer::singleShot(kRetryMs, context,
                       [context, action = std::move(action)]() mutable { WhenWorkIsDone(context, std::move(action)); });
}

EventPump::EventPump() : endProgram_([] { std::_Exit(0); }) {
    sincePump_.start();
    qApp->installEventFilter(this);
}

EventPump::~EventPump() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void EventPump::WhileWaiting() {
    // One turn at a time: a wait inside the turn (there should be none) does not start another.
    if (Waiting() || sincePump_.elapsed() < kPumpEveryMs) return;
    const WaitScope scope;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sincePump_.restart();
}

QWidget* EventPump::ProgramWindowOf(QObject* watched) {
    auto* window = qobject_cast<QWindow*>(watched);
    if (window == nullptr) return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window) return dynamic_cast<DialogWindow*>(widget);
    }
    return nullptr;
}

bool EventPump::eventFilter(QObject* watched, QEvent* event) {
    if (!Waiting()) return false;
    const QEvent::Type type = event->type();
    if (!IsHeldInput(type) && !IsDroppedInput(type) && type != QEvent::Close) return false;
    QWidget* window = ProgramWindowOf(watched);
    if (window == nullptr) return false;
    if (type == QEvent::Close) {
        event->ignore();
        if (!closeQuestion_.isEmpty()) {
            AskBeforeEnding(window);
        } else {
            held_.push_back({static_cast<QWindow*>(watched), std::make_unique<QCloseEvent>()});
            ReleaseHeld();
        }
        return true;
    }
    if (!IsHeldInput(type)) return true;
    if (busyDepth_ > 0) {
        Drop(*event);
    } else {
        Hold(static_cast<QWindow*>(watched), *event);
    }
    return true;
}

void EventPump::Drop(const QEvent& event) {
    if (IsAction(event)) Beep(kBusyBeepHz, kBusyBeepMs);
}

void EventPump::BeginBusy() {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void EventPump::EndBusy() {
    if (busyDepth_ == 0) return;
    if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
}

void EventPump::GuardClose(const QString& question) {
    closeQuestion_ = question;
    if (question.isEmpty() && question_ != nullptr) question_->done(QMessageBox::No);
}

void EventPump::Hold(QWindow* window, const QEvent& event) {
    held_.push_back({window, std::unique_ptr<QEvent>(event.clone())});
    ReleaseHeld();
}

void EventPump::ReleaseHeld() {
    if (releaseDue_) return;
    releaseDue_ = true;
    WhenWorkIsDone(this, [this] {
        releaseDue_ = false;
        // In the order the operator gave them, as if the program had been quick.
        for (HeldEvent& held : std::exchange(held_, {})) {
            if (held.window != nullptr) QCoreApplication::postEvent(held.window, held.event.release());
        }
    });
}

void EventPump::AskBeforeEnding(QWidget* window) {
    if (question_ != nullptr && question_->isVisible()) return question_->raise();
    // The question does not hold up the work: the line goes on while the operator reads it.
    question_ = new QMessageBox(QMessageBox::Warning, window->windowTitle(), closeQuestion_,
                                QMessageBox::Yes | QMessageBox::No, window);
    question_->setAttribute(Qt::WA_DeleteOnClose);
    question_->setDefaultButton(QMessageBox::No);
    QPointer<QWidget> asked = window;
    QObject::connect(question_, &QMessageBox::finished, this, [this, asked](int answer) {
        question_ = nullptr;
        if (answer != QMessageBox::Yes) return;
        // Still in the middle of the work: the operator has been warned and ends it here. Once the work is done
        // the close box's usual way ends the program.
        if (Waiting() && !closeQuestion_.isEmpty()) return endProgram_();
        if (asked != nullptr)
            WhenWorkIsDone(this, [asked] {
                if (asked != nullptr) asked->close();
            });
    });
    question_->open();
}

void PumpingClock::Sleep(std::uint32_t milliseconds) {
    const std::uint64_t end = clock_.TickCount() + milliseconds;
    for (std::uint64_t now = clock_.TickCount(); now < end; now = clock_.TickCount()) {
        clock_.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(end - now, kSleepSliceMs)));
        waits_.WhileWaiting();
    }
}

}  // namespace kelvane::ui::qtback
