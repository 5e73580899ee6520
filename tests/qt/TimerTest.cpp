#include "QtFixture.h"
#include "TestTemplates.h"

#include <QPointer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace kelvane::ui::test {
namespace {

constexpr int kPollTimer = 1;
constexpr int kPaceTimer = 2;

long Fired(const RecordingHandler& handler, int timerId) {
    return std::count(handler.timers.begin(), handler.timers.end(), timerId);
}

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class Timers : public FormFixture {
protected:
    // Lets another timer tick `ticks` times: time enough for a stopped timer to have fired, had it run.
    void LetTimePass(int ticks) {
        RecordingHandler paceHandler;
        auto pace = Make(PanelTemplate(), paceHandler);
        pace->SetTimer(kPaceTimer, 10);
        ASSERT_TRUE(WaitFor([&] { return Fired(paceHandler, kPaceTimer) >= ticks; }));
    }
};

TEST_F(Timers, WindowTimerRepeatsUntilKilled) {
    form->SetTimer(kPollTimer, 10);
    ASSERT_TRUE(WaitFor([&] { return Fired(handler, kPollTimer) >= 3; }));
    form->KillTimer(kPollTimer);
    const long fired = Fired(handler, kPollTimer);
    LetTimePass(5);
    EXPECT_EQ(Fired(handler, kPollTimer), fired);
}

TEST_F(Timers, HandlerStoppingItsTimerOnEntryGetsOneTick) {
    handler.onTimer = [&](int timerId) { form->KillTimer(timerId); };
    form->SetTimer(kPollTimer, 5);
    ASSERT_TRUE(WaitFor([&] { return Fired(handler, kPollTimer) == 1; }));
    LetTimePass(5);
    EXPECT_EQ(Fired(handler, kPollTimer), 1);
}

TEST_F(Timers, TimersOfADialogAreToldApartByTheirIds) {
    form->SetTimer(kPollTimer, 5);
    form->SetTimer(kPaceTimer, 5);
    ASSERT_TRUE(WaitFor([&] { return Fired(handler, kPollTimer) >= 2 && Fired(handler, kPaceTimer) >= 2; }));
    form->KillTimer(kPollTimer);
    form->KillTimer(kPaceTimer);
    form->KillTimer(77);
}

TEST_F(Timers, DestroyedDialogsTimersFireNoMore) {
    RecordingHandler goneHandler;
    auto gone = Make(PanelTemplate(), goneHandler);
    gone->SetTimer(kPollTimer, 1);
    gone.reset();
    LetTimePass(5);
    EXPECT_TRUE(goneHandler.timers.empty());
}

TEST_F(Timers, RepaintNowPaintsWithoutDispatchingTimers) {
    ShowExposed(*form);
    QTest::qWait(20);
    PaintCounter counter;
    form->ControlWidget(kEdit)->installEventFilter(&counter);
    form->SetTimer(kPollTimer, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the timer is due, but no event loop runs

    form->SetText(kEdit, "Searching");
    form->RepaintNow();

    EXPECT_GT(counter.paints, 0);
    EXPECT_TRUE(handler.timers.empty());
    EXPECT_TRUE(WaitFor([&] { return !handler.timers.empty(); }));
}

}  // namespace
}  // namespace kelvane::ui::test
