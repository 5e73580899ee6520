// The signal history window on the Qt back end, against a simulated rack polled by the module panel as its
// timer would: the charts drawn must be the pair's history, and a screenshot shows them to a person.

#include "app/MessageCatalogue.h"
#include "panel/HistoryWindow.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/InputModule.h"
// Ahead of Qt's headers, whose `slots` would otherwise meet the window's interfaces.
#include "tests/support/DefaultRackRows.h"
#include "tests/support/ProgramWindow.h"
#include "tests/qt/ChartTexts.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/QtWindowSystem.h"

#include <QApplication>
#include <QAreaSeries>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace test::rack;

// One virtual clock for the link and the windows, so that each poll is a second after the last, as on the
// panel's timer, without the test waiting for it.
class HistoryWindowOnQt : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        program.Open(windows, clock, sim::DefaultRack(), true);
        QApplication::processEvents();
    }

    void Poll(int times) {
        for (int i = 0; i < times; ++i) {
            clock.Advance(1000);
            program.satCofdm->StatusTick();
        }
        QApplication::processEvents();
        // What Qt Charts let go of goes when the event loop turns; this test's loop never runs on its own.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ui::QtDialog& Panel() { return static_cast<ui::QtDialog&>(program.satCofdm->Window()); }
    ui::QtDialog* History() { return static_cast<ui::QtDialog*>(program.satCofdm->History().Window()); }
    const SignalHistory& Model() { return program.satCofdm->History().History(); }
    QChart* ChartOf(int control) {
        auto* view = qobject_cast<QChartView*>(History()->ControlWidget(control));
        return view != nullptr ? view->chart() : nullptr;
    }

    // Where a sample of the model lies on the time axis: minutes before the newest.
    double Minutes(std::uint64_t tickMs) {
        return -static_cast<double>(Model().At(Model().Size() - 1).tickMs - tickMs) / 60000.0;
    }
    std::vector<QPointF> Expected(const std::vector<HistoryPoint>& series) {
        std::vector<QPointF> points;
        for (const HistoryPoint& p : series) points.emplace_back(Minutes(p.tickMs), p.value);
        return points;
    }
    std::vector<QPointF> Expected(const std::vector<RatePoint>& series, bool capacity) {
        std::vector<QPointF> points;
        for (const RatePoint& p : series) {
            points.emplace_back(Minutes(p.tickMs), (capacity ? p.rate.capacity : p.rate.inUse) / 1e6);
        }
        return points;
    }

    VirtualClock clock;
    ui::QtWindowSystem windows{clock};
    test::ProgramOnEngine program;
};

TEST_F(HistoryWindowOnQt, ChartsDrawThePairsHistoryWithItsLockLossAndGap) {
    auto* tuner = dynamic_cast<sim::InputModule*>(program.rack->engine.Find(kTuner));
    ASSERT_NE(tuner, nullptr);
    ASSERT_TRUE(tuner->PlanLockLoss(0, 150, 25));
    program.main->SelectSlot(kTuner);
    Poll(200);
    // The output has no figures for half a minute.
    program.rack->ports.filter = [](const sim::Request& request, sim::Reply reply) -> std::optional<sim::Reply> {
        if (request.destination == kTwoChannelOutput && request.Command() == 0x60) reply.payload.clear();
        return reply;
    };
    Poll(30);
    program.rack->ports.filter = nullptr;
    Poll(70);

    // The operator's click on the button beside the bars.
    auto* button = qobject_cast<QPushButton*>(Panel().ControlWidget(res::panel::kHistoryButton));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->toolTip().toStdString(), MessageText(kHistoryTipMessage));
    EXPECT_EQ(History(), nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(History(), nullptr);
    QWidget* window = History()->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 10000));
    Poll(5);  // and it follows the polls while open
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle().toStdString(), "Signal history - KXB200 / KXD410");
    ASSERT_EQ(Model().Size(), 305u);

    QChart* input = ChartOf(res::kInputChart[0]);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->title().toStdString(), "Input A");
    EXPECT_EQ(test::PointsOf(input, "Level"), Expected(Model().Level(0)));
    EXPECT_EQ(test::PointsOf(input, "S.N.R."), Expected(Model().Snr(0)));
    const std::vector<std::uint64_t> losses = Model().LockLosses(0);
    ASSERT_EQ(losses.size(), 1u);
    const std::vector<QPointF> marker = test::PointsOf(input, "Lock lost");
    ASSERT_EQ(marker.size(), 2u) << "one upright line";
    EXPECT_EQ(marker[0].x(), Minutes(losses[0]));
    EXPECT_EQ(marker[1].x(), Minutes(losses[0]));
    EXPECT_EQ(test::LegendNames(input), (std::vector<std::string>{"Level", "S.N.R.", "Lock lost"}));
    auto* time = qobject_cast<QValueAxis*>(input->axes(Qt::Horizontal).value(0));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->min(), -10.0);
    EXPECT_EQ(time->max(), 0.0);

    for (int channel = 0; channel < 2; ++channel) {
        QChart* rates = ChartOf(res::kChannelChart[channel]);
        ASSERT_NE(rates, nullptr) << channel;
        EXPECT_EQ(test::PointsOf(rates, "Rate"), Expected(Model().Rate(channel), false)) << channel;
        EXPECT_EQ(test::PointsOf(rates, "Capacity"), Expected(Model().Rate(channel), true)) << channel;
        EXPECT_EQ(test::LegendNames(rates), (std::vector<std::string>{"No data", "Rate", "Capacity"})) << channel;
        int shaded = 0;
        for (QAbstractSeries* series : rates->series()) shaded += qobject_cast<QAreaSeries*>(series) != nullptr;
        EXPECT_EQ(shaded, 1) << "the half minute without figures";
    }
    EXPECT_EQ(History()->ControlWidget(res::kChannelChart[2]), nullptr);
    for (const std::string& text : test::CutChartTexts(window)) ADD_FAILURE() << text;

    const QString path = QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-history-window.png");
    EXPECT_TRUE(window->grab().save(path)) << path.toStdString();
    EXPECT_TRUE(static_cast<ui::QtDialog&>(program.main->Window())
                    .Widget()
                    ->grab()
                    .save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-panel-history-button.png")));
}

TEST_F(HistoryWindowOnQt, PlayerPairFillsTheWindowWithSevenCharts) {
    program.main->SelectSlot(kTuner);
    Poll(20);
    program.satCofdm->History().Open();
    QWidget* first = History()->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first, 10000));
    const QPoint where = first->pos();
    program.main->SelectSlot(4);  // the player and its four-channel output
    Poll(120);
    QWidget* window = History()->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 10000));
    EXPECT_EQ(window->pos(), where) << "made again for the new pair's charts, where it stood";
    EXPECT_EQ(window->windowTitle().toStdString(), "Signal history - KXC300 / KXD420");
    ASSERT_EQ(Model().Size(), 120u);
    for (int row = 0; row < 3; ++row) {
        QChart* input = ChartOf(res::kInputChart[row]);
        ASSERT_NE(input, nullptr) << row;
        EXPECT_EQ(test::PointsOf(input, "Level"), Expected(Model().Level(row))) << row;
    }
    for (int channel = 0; channel < 4; ++channel) {
        QChart* rates = ChartOf(res::kChannelChart[channel]);
        ASSERT_NE(rates, nullptr) << channel;
        EXPECT_EQ(test::PointsOf(rates, "Rate"), Expected(Model().Rate(channel), false)) << channel;
    }
    for (const std::string& text : test::CutChartTexts(window)) ADD_FAILURE() << text;
    EXPECT_TRUE(window->grab().save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-history-player.png")));

    // Redrawn every second for hours: what a chart draws must not pile up in its scene.
    QGraphicsScene* scene = ChartOf(res::kChannelChart[3])->scene();
    const qsizetype items = scene->items().size();
    ASSERT_LT(items, 100);
    Poll(30);
    EXPECT_EQ(scene->items().size(), items);
}

}  // namespace
}  // namespace kelvane
