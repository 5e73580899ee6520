// The program's own windows on the Qt back end, against a simulated rack: what an operator would see.

#include "app/MainMenu.h"
#include "app/TextFormat.h"
#include "app/MessageCatalogue.h"
#include "config/FirmwareUpdate.h"
#include "platform/SystemClock.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "config/FirmwareFiles.h"
#include "platform/EntryPorts.h"
#include "sim/DefaultRack.h"
#include "sim/InputModule.h"
#include "sim/ModuleModels.h"
// Ahead of Qt's headers, whose `slots` would otherwise meet the window's interfaces.
#include "tests/support/ProgramWindow.h"
#include "tests/support/PtyRack.h"
#include "tests/qt/ChartTexts.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/LocalListener.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/QtWindowSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kelvane {
namespace {

// The longest the window's event loop may stand still, in milliseconds. A loop that waited on the rack would
// stand still through the whole wait (a restart's 1.5 s, a negotiation's 2 s); a loaded machine can hold a
// loop that never waits for a few hundred milliseconds, which must not fail the suite.
constexpr qint64 kLongestStall = 1000;

// Every caption on show under `window` that its control cannot hold in the font it is drawn with, as
// "text (needed > room)". A caption may wrap only where its control is tall enough for the lines.
std::vector<std::string> CutCaptions(QWidget* window) {
    std::vector<std::string> cut;
    const auto report = [&cut](const QString& text, int needed, int room) {
        if (needed > room)
            cut.push_back(QStringLiteral("\"%1\" (%2 > %3)").arg(text).arg(needed).arg(room).toStdString());
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->text().isEmpty()) {
            const QRect room = label->contentsRect();
            const QRect needed =
                metrics.boundingRect(room, static_cast<int>(label->alignment()) | Qt::TextWordWrap, label->text());
            report(label->text(), needed.width(), room.width());
            report(label->text() +
                       QStringLiteral(" [on one line %1, lines]").arg(metrics.horizontalAdvance(label->text())),
                   needed.height(), room.height());
        } else if (auto* box = qobject_cast<QCheckBox*>(widget); box != nullptr && !box->text().isEmpty()) {
            report(box->text(), box->sizeHint().width(), box->width());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget); group != nullptr && !group->title().isEmpty()) {
            report(group->title(), metrics.horizontalAdvance(group->title()), group->width());
        } else if (auto* button = qobject_cast<QPushButton*>(widget); button != nullptr && !button->text().isEmpty()) {
            report(button->text(), metrics.horizontalAdvance(button->text()), button->contentsRect().width());
        }
    }
    return cut;
}

class ProgramWindow : public ::testing::Test {
protected:
    void Start(const sim::RackDescription& rack = sim::DefaultRack(), int language = kEnglish) {
        SetLanguageIndex(language);
        program.Open(windows, linkClock, rack, true);
        QApplication::processEvents();
    }

    QWidget* Window() { return static_cast<ui::QtDialog&>(program.main->Window()).Widget(); }
    QWidget* Control(int id) { return static_cast<ui::QtDialog&>(program.main->Window()).ControlWidget(id); }

    // Polls the open panel as its timer would, without waiting a second between polls.
    void Poll(int times) {
        for (int i = 0; i < times; ++i) program.satCofdm->StatusTick();
        QApplication::processEvents();
    }

    void Save(const std::string& name) {
        const QString path = QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/" + name + ".png");
        EXPECT_TRUE(Window()->grab().save(path)) << path.toStdString();
    }

    VirtualClock linkClock;
    SystemClock clock;
    ui::QtWindowSystem windows{clock};
    test::ProgramOnEngine program;
};

TEST_F(ProgramWindow, MainWindowHasItsListButtonsAndThirteenRows) {
    Start();
    EXPECT_EQ(Window()->windowTitle().toStdString(), "Kelvane \u2014 KXRRack on " + program.rack->link.PortName());
    // The template's size lies between the menu bar and the status bar.
    QWidget* body = static_cast<ui::QtDialog&>(program.main->Window()).ClientArea();
    EXPECT_EQ(body->size(), QSize(758, 549));
    EXPECT_EQ(Window()->width(), 758);
    EXPECT_GT(Window()->height(), 549 + 2 * 15) << "no room for the bars";
    QWidget* list = Control(res::kModuleList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry().topLeft(), QPoint(50, 7));
    EXPECT_EQ(list->width(), 77);
    EXPECT_GE(list->height(), 525) << "no more than the foot that no whole row could use is given up";
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
    // The list alone, twice as large, to look at its rows and its scroll bar.
    const QImage listImage = list->grab().toImage();
    listImage.scaled(listImage.size() * 2)
        .save(QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/program-module-list.png"));
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
        program.main->SelectSlot(row);
        Poll(7);
        QWidget* panel = static_cast<ui::QtDialog&>(program.satCofdm->Window()).Widget();
        EXPECT_TRUE(panel->isVisible()) << name;
        EXPECT_EQ(panel->pos(), QPoint(136, 0)) << name;
        Save(name);
    }
    EXPECT_EQ(program.satCofdm->Model().OutputChannelCount, 0);
}

// Every caption of every window, in every language, measured in the font it is drawn with.
TEST_F(ProgramWindow, EveryCaptionFitsItsControlInEveryLanguage) {
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules.push_back({1, 9, 14, true, rack.modules[0].config});  // a tuner without an output
    const char* languages[] = {"English", "French", "Italian", "German"};
    for (const int language : {kEnglish, kFrench, kItalian, kGerman}) {
        program.main.reset();
        Start(rack, language);
        for (int row = 0; row < program.main->Slots().ModuleCount; ++row) {
            program.main->SelectSlot(row);
            if (program.satCofdm->Window().IsShown()) Poll(3);
            QApplication::processEvents();
            for (const std::string& caption : CutCaptions(Window())) {
                ADD_FAILURE() << languages[language] << ", row " << row << ": " << caption;
            }
        }
        if (language == kFrench || language == kItalian) {
            program.main->SelectSlot(1);
            Poll(7);
            Save(language == kFrench ? "program-panel-french" : "program-panel-italian");
        }
        // The history window, for a pair of one input and two channels, and for the player's seven charts. The
        // first has every name its legends can show: a lock lost, and the output without figures for a while.
        for (const int row : {1, 4}) {
            program.main->SelectSlot(row);
            Poll(3);
            if (row == 1) {
                Poll(10);
                dynamic_cast<sim::InputModule&>(*program.rack->engine.Find(1)).PlanLockLoss(0, 0, 2);
                program.rack->ports.filter = [](const sim::Request& request,
                                                sim::Reply reply) -> std::optional<sim::Reply> {
                    if (request.destination == 3 && request.Command() == 0x60) reply.payload.clear();
                    return reply;
                };
                Poll(2);
                program.rack->ports.filter = nullptr;
                Poll(2);
                ASSERT_EQ(program.satCofdm->History().History().LockLosses(0).size(), 1u);
            }
            program.satCofdm->History().Open();
            QWidget* history = static_cast<ui::QtDialog*>(program.satCofdm->History().Window())->Widget();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(history, 10000));
            std::vector<std::string> cut = CutCaptions(history);
            for (const std::string& text : test::CutChartTexts(history)) cut.push_back(text);
            for (const std::string& caption : cut) {
                ADD_FAILURE() << languages[language] << ", history of row " << row << ": " << caption;
            }
        }
        if (language == kGerman) {
            program.main->SelectSlot(1);
            Poll(3);
            EXPECT_TRUE(static_cast<ui::QtDialog*>(program.satCofdm->History().Window())
                            ->Widget()
                            ->grab()
                            .save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-history-german.png")));
        }
        program.satCofdm->History().OnClose();
        program.main->SelectSlot(CKelvaneDlg::kNoSlot);
    }
    ui::DialogHandler handler;
    const auto summary = windows.CreateDialog(res::ConfigSummaryTemplate(), handler, nullptr);
    for (const std::string& caption : CutCaptions(static_cast<ui::QtDialog&>(*summary).Widget())) {
        ADD_FAILURE() << "summary: " << caption;
    }
}

// A module that runs another version than the image it accepted is named where the upgrade's OK stood.
TEST_F(ProgramWindow, FirmwareThatDidNotTakeIsNamedInTheMessageArea) {
    sim::RackDescription rack;
    rack.modules = {{sim::kKXB210, 5, 14, true, {}}, {sim::kKXF600, 6, 20, true, {}}, {sim::kKXD410, 7, 21, true, {}}};
    Start(rack, kFrench);
    test::FirmwareFolder folder;
    folder.Offer("KXD410_V30.frm", sim::kKXD410, 30, test::MarkedImage(512, std::nullopt));
    program.main->Firmware().ScanFirmwareFiles(folder.Root());
    program.main->DiscoverRack();
    QApplication::processEvents();
    EXPECT_EQ(program.main->Info().Text(), "KXD410, ligne 3, indique V2.2 après mise à jour en V3.0");
    QWidget* info = static_cast<ui::QtDialog&>(program.main->Info().Window()).Widget();
    EXPECT_TRUE(info->isVisible());
    Save("program-firmware-not-taken-fr");

    // Whole in every language: the versions are what the operator needs, and a long line loses its middle.
    auto* shown = info->findChild<QPlainTextEdit*>();
    ASSERT_NE(shown, nullptr);
    VersionNotTaken failure{{7, sim::kKXD410, {}, 0, 30}, 12, 22};
    for (const int language : {kEnglish, kFrench, kItalian, kGerman}) {
        SetLanguageIndex(language);
        program.main->Info().ShowInfo(VersionNotTakenText(failure), false, 60000);
        EXPECT_EQ(shown->toPlainText().toStdString(), VersionNotTakenText(failure)) << "language " << language;
    }
}

// A message over the panel goes with its time, and takes its grey box with it.
TEST_F(ProgramWindow, PanelIsWholeAgainOnceItsMessageHasGone) {
    Start();
    program.main->SelectSlot(1);
    Poll(7);
    QWidget* info = static_cast<ui::QtDialog&>(program.main->Info().Window()).Widget();
    // Long enough that a slow machine still finds it shown; the wait below is bounded generously.
    program.main->Info().ShowInfo(MessageText(kDoubleClickToChangeMessage), false, 1500);
    QApplication::processEvents();
    EXPECT_TRUE(info->isVisible());
    Save("program-panel-message");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.main->Info().Text().empty(); }, 15000));
    EXPECT_FALSE(info->isVisible()) << "an empty box still covers the service list";
    Save("program-panel-after-message");
}

// The message area holds the longest message of every language whole, on the two lines it has.
TEST_F(ProgramWindow, TheLongestMessageOfEveryLanguageIsShownWhole) {
    Start();
    auto& info = static_cast<ui::QtDialog&>(program.main->Info().Window());
    auto* edit = static_cast<QPlainTextEdit*>(info.ControlWidget(res::kInfoText));
    for (const int language : {kEnglish, kFrench, kItalian, kGerman}) {
        QString longest;
        for (int id = 0; id < kMessageCount; ++id) {
            // A question in a box of its own, and the texts of the About box and the guide's window.
            if (id == kCloseDuringFirmwareMessage || id == kAboutText || id == kGuideMissingMessage) continue;
            const QString text =
                QString::fromStdString(MessageText(id, language)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (edit->fontMetrics().horizontalAdvance(text) > edit->fontMetrics().horizontalAdvance(longest))
                longest = text;
        }
        program.main->Info().ShowInfo(longest.toStdString(), false, 1);
        QApplication::processEvents();
        EXPECT_EQ(edit->toPlainText(), longest) << "language " << language;
        if (language == kFrench) Save("program-longest-message-french");
    }
}

// What is typed goes out whole: the field shows that its value is still to be taken, Tab takes it and the
// message area says when it went out; a value that cannot fit is refused in words.
TEST_F(ProgramWindow, ATypedValueIsPendingUntilTabThenSentOrRefused) {
    Start();
    program.main->SelectSlot(1);
    Poll(7);
    auto& panel = static_cast<ui::QtDialog&>(program.satCofdm->Window());
    QWidget* field = panel.ControlWidget(res::panel::kStreamId[0]);
    const QColor ground = field->palette().color(QPalette::Base);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, "1030");
    EXPECT_NE(field->palette().color(QPalette::Base), ground) << "a pending value looks pending";
    Save("program-panel-pending-field");
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(field->palette().color(QPalette::Base), ground);
    Poll(1);
    EXPECT_EQ(program.rack->engine.Find(3)->Config().size(), program.main->Slots()[3].ConfigLength);
    EXPECT_EQ(program.satCofdm->Model().TransportStreamId[0], 1030);
    EXPECT_NE(program.main->Info().Text().find("Sent to KXD410, row 3, at "), std::string::npos)
        << program.main->Info().Text();
    Save("program-panel-sent");

    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, "490000");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(program.main->Info().Text(), "T.S. Id. 490000 refused: 0 to 65535 only.");
    EXPECT_EQ(panel.Text(res::panel::kStreamId[0]), "1030");
    Save("program-panel-refused-field");
}

TEST_F(ProgramWindow, LcnIsTypedInPlaceOverItsCell) {
    Start();
    program.main->SelectSlot(1);
    Poll(7);
    auto& panel = static_cast<ui::QtDialog&>(program.satCofdm->Window());
    QWidget* list = panel.ControlWidget(res::panel::kServiceList);
    ASSERT_NE(list, nullptr);
    const ui::Rect cell = panel.CellBounds(res::panel::kServiceList, 0, 15);
    auto* table = list->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(table, nullptr);
    const QPoint where = table->mapFrom(list, QPoint(cell.x + cell.width / 2, cell.y + cell.height / 2));
    QTest::mouseDClick(table, Qt::LeftButton, Qt::NoModifier, where);
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            return QApplication::focusWidget() != nullptr &&
                   QApplication::focusWidget()->property("kelvaneCellEditor").toBool();
        },
        5000));
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "57");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.Cell(res::panel::kServiceList, 0, 15).text == "57"; }, 5000));
    EXPECT_TRUE(program.satCofdm->OperatorEdited());
}

// A firmware upgrade against the simulator on a paced pseudo-terminal, with the real clock: the window's event
// loop must keep turning through the blocks, the write and the wait for the rack, and the close box must ask
// before it ends the program.
TEST(FirmwareUpgradeWindow, KeepsAnsweringAndAsksBeforeEnding) {
    SetLanguageIndex(kEnglish);
    // For the rack's KXD410 at address 3, now at version 2.1: 16 KiB, every block written.
    test::FirmwareFolder folder;
    folder.Offer("KXD410_V30.frm", 5, 30, test::MarkedImage(64 * kFirmwareBlock, 30));

    sim::FaultOptions faults;
    faults.restartSilenceMs = 1500;
    test::PtyRack pty(sim::DefaultRack(), faults, true);
    pty.Start();
    sim::RackSimulator& rack = pty.simulator;
    ui::QtWindowSystem windows(pty.clock);
    int ended = 0;
    windows.SetProgramEnd([&ended] { ++ended; });
    {
        const std::unique_ptr<CKelvaneDlg> main = test::OpenMainWindow(windows, pty.link, folder.Root().string());
        main->Window().Show(true);
        main->Firmware().ScanFirmwareFiles(folder.Root());
        QWidget* window = static_cast<ui::QtDialog&>(main->Window()).Widget();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

        QElapsedTimer since;
        qint64 worst = 0;
        int turns = 0;
        bool closed = false;
        bool pictured = false;
        QString question;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worst = std::max(worst, since.restart());
            ++turns;
            const std::size_t blocks = rack.FirmwareBlocks(3);
            if (!pictured && blocks >= 16) {
                pictured = window->grab().save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-firmware-upgrade.png"));
            }
            if (!closed && blocks >= 24) {
                // The close box, as the window manager sends it.
                QCoreApplication::postEvent(window->windowHandle(), new QCloseEvent);
                closed = true;
            }
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box != nullptr) {
                question = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        probe.start(10);
        since.start();
        main->DiscoverRack();
        worst = std::max(worst, since.elapsed());  // the stretch since the loop last turned counts too
        probe.stop();

        ASSERT_EQ(main->Firmware().FirmwareFilesFound(), 1);
        ASSERT_EQ(main->Slots().ModuleCount, 8) << main->Info().Text();
        EXPECT_LT(worst, kLongestStall) << "the window did not answer for " << worst << " ms";
        EXPECT_GT(turns, 100);
        EXPECT_TRUE(pictured);
        EXPECT_EQ(rack.VersionOf(3), 30);
        EXPECT_EQ(question.toStdString(), MessageText(kCloseDuringFirmwareMessage));
        EXPECT_EQ(ended, 1) << "a confirmed close in the middle of the upgrade ends the program";
        EXPECT_TRUE(window->isVisible()) << "nothing else closed the window";
    }
}

// Serial servers that take the connection and never say a word: the search waits out the negotiation's bound on
// the one and the probe's tries on the other, and the window must keep answering all along.
TEST(SilentServerWindow, KeepsAnsweringWhileTheSearchWaits) {
    SetLanguageIndex(kEnglish);
    test::Listener silent;
    const std::string server = "127.0.0.1:" + std::to_string(silent.Port());
    EntryPortOpener ports({"rfc2217:" + server, "tcp:" + server}, nullptr);
    SystemClock clock;
    CXmit link(ports, clock);
    ui::QtWindowSystem windows(clock);
    const std::unique_ptr<CKelvaneDlg> main = test::OpenMainWindow(windows, link);
    main->Window().Show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(static_cast<ui::QtDialog&>(main->Window()).Widget()));

    QElapsedTimer since;
    qint64 worst = 0;
    int turns = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        worst = std::max(worst, since.restart());
        ++turns;
    });
    probe.start(10);
    since.start();
    main->DiscoverRack();
    worst = std::max(worst, since.elapsed());
    probe.stop();

    EXPECT_EQ(link.SearchFailures().size(), 2u);
    EXPECT_LT(worst, kLongestStall) << "the window did not answer for " << worst << " ms";
    EXPECT_GT(turns, 100) << "two seconds of negotiation at least";
    EXPECT_NE(main->Info().Text().find("rfc2217:" + server + ": no answer from the server"), std::string::npos)
        << main->Info().Text();
    EXPECT_TRUE(static_cast<ui::QtDialog&>(main->Window())
                    .Widget()
                    ->grab()
                    .save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/program-no-rack.png")));
}

// The menu bar, the status bar, the About box and the message log, as an operator meets them, in two languages.
TEST_F(ProgramWindow, MenuBarStatusBarAboutBoxAndMessageLogExistAndAct) {
    const struct {
        int language;
        const char* name;
    } rows[] = {{kEnglish, "en"}, {kFrench, "fr"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Start(sim::DefaultRack(), row.language);
        auto* bar = Window()->findChild<QMenuBar*>("menu-bar");
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), 4);
        EXPECT_EQ(bar->actions()[0]->text().toStdString(), MessageText(kFileMenuText));
        auto* save = Window()->findChild<QAction*>(QStringLiteral("menu-item-%1").arg(kSaveConfigItem));
        ASSERT_NE(save, nullptr);
        EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        // The controls keep their places in the body, under the menu bar.
        EXPECT_EQ(Control(res::kModuleList)->geometry().topLeft(), QPoint(50, 7));
        EXPECT_EQ(Control(res::kModuleList)->mapTo(Window(), QPoint(0, 0)).y(), 7 + bar->height());

        auto* status = Window()->findChild<QStatusBar*>("status-bar");
        ASSERT_NE(status, nullptr);
        std::vector<std::string> fields;
        for (int k = 0; k < 4; ++k) {
            auto* field = status->findChild<QLabel*>(QStringLiteral("status-field-%1").arg(k));
            ASSERT_NE(field, nullptr) << k;
            fields.push_back(field->text().toStdString());
        }
        EXPECT_EQ(fields, program.main->Status().Fields());
        EXPECT_EQ(fields[0], MessageText(kStatusConnectedText));

        // Each menu open over the window, as the operator sees it.
        for (int k = 0; k < 4; ++k) {
            bar->setActiveAction(bar->actions()[k]);
            QApplication::processEvents();
            QMenu* menu = bar->actions()[k]->menu();
            ASSERT_TRUE(menu->isVisible()) << k;
            QImage shot = Window()->grab().toImage();
            QPainter(&shot).drawImage(Window()->mapFromGlobal(menu->pos()), menu->grab().toImage());
            shot.save(QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/menus-menu-" + std::to_string(k) +
                                             "-" + row.name + ".png"));
            menu->hide();
        }
        Save(std::string("menus-status-bar-") + row.name);

        // F1 opens the window's guide, from wherever the focus is in the window.
        Window()->activateWindow();
        QApplication::setActiveWindow(Window());
        QTest::keyClick(Control(res::kModuleList), Qt::Key_F1);
        QApplication::processEvents();
        QWidget* guide = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "dialog-148" && top->isVisible()) guide = top;
        }
        ASSERT_NE(guide, nullptr) << "F1 opened nothing";
        EXPECT_EQ(guide->windowTitle().toStdString(), AsTitle(MessageText(kWindowGuideItemText)));
        guide->hide();

        // Help > About: the version, the licence, the Qt it runs with, the data folder; OK closes it.
        std::string about;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() != "dialog-149" || !top->isVisible()) continue;
                about = top->findChild<QPlainTextEdit*>()->toPlainText().toStdString();
                top->grab().save(
                    QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/menus-about-" + row.name + ".png"));
                for (QPushButton* button : top->findChildren<QPushButton*>()) {
                    if (button->text() == "OK") button->click();
                }
            }
        });
        Window()->findChild<QAction*>(QStringLiteral("menu-item-%1").arg(kAboutItem))->trigger();
        for (const std::string& part : {std::string("Kelvane 5.1"), std::string("Telquine"), std::string(qVersion()),
                                        std::string("/nonexistent")}) {
            EXPECT_NE(about.find(part), std::string::npos) << part << " in " << about;
        }

        // View > Messages: a window of its own whose text is selected and copied.
        Window()->findChild<QAction*>(QStringLiteral("menu-item-%1").arg(kMessagesItem))->trigger();
        QApplication::processEvents();
        ASSERT_NE(program.main->LogWindow(), nullptr);
        auto& log = static_cast<ui::QtDialog&>(*program.main->LogWindow());
        EXPECT_TRUE(log.Widget()->isVisible());
        auto* text = qobject_cast<QPlainTextEdit*>(log.ControlWidget(res::kTextWindowText));
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->isReadOnly());
        const std::string found = FormatText(MessageText(kRackFoundOnMessage), {program.rack->link.PortName()});
        EXPECT_NE(text->toPlainText().toStdString().find(found), std::string::npos)
            << text->toPlainText().toStdString();
        text->selectAll();
        text->copy();
        EXPECT_EQ(QApplication::clipboard()->text(), text->toPlainText());
        log.Widget()->grab().save(
            QString::fromStdString(std::string(KELVANE_QT_TEST_OUTPUT) + "/menus-message-log-" + row.name + ".png"));
        log.Show(false);
    }
}

}  // namespace
}  // namespace kelvane
