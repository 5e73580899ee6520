// The program's own windows on the Qt back end, against a simulated rack: what an operator would see.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "cam/OpenCam.h"
#include "link/Xmit.h"
#include "panel/SatCofdm.h"
#include "platform/SystemClock.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "tests/support/EnginePort.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/QtWindowSystem.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kelvane {
namespace {

class ProgramWindow : public ::testing::Test {
protected:
    void Start(const sim::RackDescription& rack = sim::DefaultRack()) {
        SetLanguageIndex(kEnglish);
        engine = std::make_unique<sim::RackEngine>(rack);
        ports = std::make_unique<test::EnginePortOpener>(*engine, linkClock);
        link = std::make_unique<CXmit>(*ports, linkClock);
        auto panel = std::make_unique<CSatCofdm>(windows);
        satCofdm = panel.get();
        main = std::make_unique<CKelvaneDlg>(windows, *link, "/nonexistent", std::move(panel),
                                             std::make_unique<COpenCam>(windows));
        main->Create();
        main->Window().KillTimer(CKelvaneDlg::kStartTimer);
        main->Window().Show(true);
        main->DiscoverRack();
        QApplication::processEvents();
    }

    QWidget* Window() { return static_cast<ui::QtDialog&>(main->Window()).Widget(); }
    QWidget* Control(int id) { return static_cast<ui::QtDialog&>(main->Window()).ControlWidget(id); }

    // Polls the open panel as its timer would, without waiting a second between polls.
    void Poll(int times) {
        for (int i = 0; i < times; ++i) satCofdm->StatusTick();
        QApplication::processEvents();
    }

    void Save(const std::string& name) {
        const QString path = QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/" + name + ".png");
        EXPECT_TRUE(Window()->grab().save(path)) << path.toStdString();
    }

    VirtualClock linkClock;
    SystemClock clock;
    ui::QtWindowSystem windows{clock};
    std::unique_ptr<sim::RackEngine> engine;
    std::unique_ptr<test::EnginePortOpener> ports;
    std::unique_ptr<CXmit> link;
    std::unique_ptr<CKelvaneDlg> main;
    CSatCofdm* satCofdm = nullptr;
};

TEST_F(ProgramWindow, MainWindowHasItsListButtonsAndThirteenRows) {
    Start();
    EXPECT_EQ(Window()->windowTitle().toStdString(), "DVB R770 5.1 - Telquine");
    EXPECT_EQ(Window()->width(), 758);
    EXPECT_EQ(Window()->height(), 549);
    QWidget* list = Control(res::kModuleList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry(), QRect(50, 7, 77, 535));
    const std::pair<int, QRect> buttons[] = {{res::kDiscoverButton, QRect(3, 5, 42, 41)},
                                             {res::kUploadButton, QRect(3, 62, 42, 41)},
                                             {res::kSaveButton, QRect(3, 109, 42, 41)}};
    for (const auto& [id, where] : buttons) {
        auto* button = qobject_cast<QPushButton*>(Control(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->geometry(), where) << id;
        EXPECT_FALSE(button->icon().isNull()) << id;
    }
    auto* rows = qobject_cast<QListWidget*>(list);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->count(), 13);
    EXPECT_EQ(rows->item(1)->text().toStdString(), "KXB200\nV1.2");
    Save("program-main-window");
}

TEST_F(ProgramWindow, PanelsOfEveryKindOfPair) {
    sim::RackDescription rack = sim::DefaultRack();
    // A tuner without an output of its own, at the end of the rack.
    rack.modules.push_back({1, 9, 14, true, rack.modules[0].config});
    Start(rack);
    const std::pair<int, const char*> pairs[] = {{1, "program-panel-two-channels"},
                                                 {4, "program-panel-player"},
                                                 {6, "program-panel-one-channel"},
                                                 {8, "program-panel-input-only"}};
    for (const auto& [row, name] : pairs) {
        main->SelectSlot(row);
        Poll(7);
        QWidget* panel = static_cast<ui::QtDialog&>(satCofdm->Window()).Widget();
        EXPECT_TRUE(panel->isVisible()) << name;
        EXPECT_EQ(panel->pos(), QPoint(136, 0)) << name;
        Save(name);
    }
    EXPECT_EQ(satCofdm->Model().OutputChannelCount, 0);
}

TEST_F(ProgramWindow, LcnIsTypedInPlaceOverItsCell) {
    Start();
    main->SelectSlot(1);
    Poll(7);
    auto& panel = static_cast<ui::QtDialog&>(satCofdm->Window());
    QWidget* list = panel.ControlWidget(res::panel::kServiceList);
    ASSERT_NE(list, nullptr);
    const ui::Rect cell = panel.CellBounds(res::panel::kServiceList, 0, 15);
    auto* table = list->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(table, nullptr);
    const QPoint where = table->mapFrom(list, QPoint(cell.x + cell.width / 2, cell.y + cell.height / 2));
    QTest::mouseDClick(table, Qt::LeftButton, Qt::NoModifier, where);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr &&
                                            QApplication::focusWidget()->property("kelvaneCellEditor").toBool(); },
                                5000));
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "57");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Cell(res::panel::kServiceList, 0, 15).text == "57"; }, 5000));
    EXPECT_TRUE(satCofdm->OperatorEdited());
}

}  // namespace
}  // namespace kelvane
