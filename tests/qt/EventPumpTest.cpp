// The window system's turn inside the program's waits: painting goes on, the operator's input and the program's
// timers wait for the end of the work, and the close box asks when the program says so.
#include "QtFixture.h"
#include "TestTemplates.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

namespace kelvane::ui::test {
namespace {

class EventPump : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ShowActive(*form);
        form->SetFocus(kEdit);
        handler.notifications.clear();
    }

    // The program at work for `milliseconds`, waiting as the link does; `during` runs once at the start.
    void Work(int milliseconds, const std::function<void()>& during = {}) {
        QElapsedTimer elapsed;
        elapsed.start();
        bool started = false;
        while (elapsed.elapsed() < milliseconds) {
            windows.Waits().WhileWaiting();
            if (!started && during) during();
            started = true;
            QTest::qSleep(1);
        }
    }

    QWindow* Handle() { return form->Widget()->windowHandle(); }
    QString Typed() { return static_cast<QLineEdit*>(form->ControlWidget(kEdit))->text(); }
};

TEST_F(EventPump, InputAndTimersWaitForTheWorkAndThenArriveInOrder) {
    form->SetTimer(7, 10);
    Work(150, [&] {
        for (const char* key : {"k", "x"}) {
            const Qt::Key code = key[0] == 'k' ? Qt::Key_K : Qt::Key_X;
            QCoreApplication::postEvent(Handle(), new QKeyEvent(QEvent::KeyPress, code, Qt::NoModifier, key));
            QCoreApplication::postEvent(Handle(), new QKeyEvent(QEvent::KeyRelease, code, Qt::NoModifier, key));
        }
        QCoreApplication::postEvent(Handle(), new QCloseEvent);
    });
    EXPECT_TRUE(handler.timers.empty()) << "a timer ran in the middle of the work";
    EXPECT_EQ(handler.closes, 0);
    EXPECT_EQ(Typed(), QString());
    ASSERT_TRUE(WaitFor([&] { return handler.closes == 1 && !handler.timers.empty(); }));
    // The close box came last, so the keys before it have been delivered too.
    EXPECT_EQ(Typed(), QStringLiteral("kx"));
    form->KillTimer(7);
}

TEST_F(EventPump, TheWindowPaintsWhileTheProgramWaits) {
    form->SetText(kEdit, "before");
    QCoreApplication::processEvents();
    int paints = 0;
    struct Counter : QObject {
        int& count;
        explicit Counter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++count;
            return false;
        }
    } counter(paints);
    form->ControlWidget(kEdit)->installEventFilter(&counter);
    Work(100, [&] { static_cast<QLineEdit*>(form->ControlWidget(kEdit))->setText("during"); });
    EXPECT_GT(paints, 0) << "the changed field was not painted while the program waited";
    form->ControlWidget(kEdit)->removeEventFilter(&counter);
}

TEST_F(EventPump, GuardedCloseAsksAtOnceAndEndsOnlyOnYes) {
    int ended = 0;
    windows.SetProgramEnd([&ended] { ++ended; });
    windows.GuardClose("Ending now may leave a module without firmware. End anyway?");
    QString asked;
    Work(300, [&] { QCoreApplication::postEvent(Handle(), new QCloseEvent); });
    // Still at work: the question is up without holding the work up. "No" first, then the close box again.
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    asked = box->text();
    // The answer is heard during the work's next turn, as the operator's click would be.
    Work(50, [&] { QMetaObject::invokeMethod(box->button(QMessageBox::No), "click", Qt::QueuedConnection); });
    EXPECT_EQ(ended, 0);
    Work(300, [&] { QCoreApplication::postEvent(Handle(), new QCloseEvent); });
    box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    Work(50, [&] { QMetaObject::invokeMethod(box->button(QMessageBox::Yes), "click", Qt::QueuedConnection); });
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(asked.toStdString(), "Ending now may leave a module without firmware. End anyway?");
    EXPECT_EQ(handler.closes, 0) << "the program's own close did not run in the middle of the work";
    windows.GuardClose("");
}

// In a busy sequence the busy cursor shows and a click is dropped, where another wait holds it for later.
TEST_F(EventPump, ABusySequenceDropsInputUnderTheBusyCursorWhereAWaitHoldsIt) {
    for (const bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "busy" : "waiting");
        form->SetText(kEdit, "");
        if (busy) windows.BeginBusy();
        const Qt::CursorShape shown =
            QApplication::overrideCursor() != nullptr ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        Work(100, [&] {
            QCoreApplication::postEvent(Handle(), new QKeyEvent(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, "k"));
            QCoreApplication::postEvent(Handle(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier, "k"));
        });
        if (busy) windows.EndBusy();
        EXPECT_EQ(shown, busy ? Qt::WaitCursor : Qt::ArrowCursor);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        QTest::qWait(100);
        EXPECT_EQ(Typed(), busy ? QString() : QStringLiteral("k"));
    }
}

// The question asked during a firmware write goes once the write is over: a late "yes" would end the program
// for nothing.
TEST_F(EventPump, TheCloseQuestionGoesWhenTheGuardIsTakenBack) {
    windows.GuardClose("Ending now may leave a module without firmware. End anyway?");
    Work(300, [&] { QCoreApplication::postEvent(Handle(), new QCloseEvent); });
    QPointer<QWidget> box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    windows.GuardClose("");
    EXPECT_TRUE(WaitFor([&] { return box == nullptr || !box->isVisible(); }));
    EXPECT_EQ(handler.closes, 0);
}

}  // namespace
}  // namespace kelvane::ui::test
