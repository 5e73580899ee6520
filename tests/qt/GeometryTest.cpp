#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include "ui/qt/WindowPlaces.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QFontInfo>

namespace kelvane::ui::test {
namespace {

QRect Pixels(const Rect& units) {
    const Rect pixels = DialogUnitsToPixels(units);
    return QRect(pixels.x, pixels.y, pixels.width, pixels.height);
}

TEST_F(QtFixture, WindowAndControlsArePlacedInPixelsFromDialogUnits) {
    RecordingHandler handler;
    auto main = Make(res::MainDialogTemplate(), handler);
    EXPECT_EQ(main->Widget()->size(), QSize(758, 549));
    EXPECT_EQ(main->Widget()->minimumSize(), main->Widget()->maximumSize()) << "the window must not be resizable";
    for (const ControlTemplate& control : res::MainDialogTemplate().controls) {
        if (control.id == res::kModuleList) continue;
        EXPECT_EQ(main->ControlWidget(control.id)->geometry(), Pixels(control.rect)) << "control " << control.id;
    }
    // The module list gives up the few pixels at its foot that no whole row could use.
    const QRect list = main->ControlWidget(res::kModuleList)->geometry();
    EXPECT_EQ(list.topLeft(), QPoint(50, 7));
    EXPECT_EQ(list.width(), 77);
    EXPECT_LE(list.height(), 535);
    EXPECT_GE(list.height(), 525);
}

TEST_F(QtFixture, ComboBoxIsAsHighAsItsFieldWhateverRoomItsListHas) {
    RecordingHandler handler;
    auto form = Make(FormTemplate(), handler);
    const QWidget* combo = form->ControlWidget(kCombo);
    const QRect given = Pixels(FormTemplate().Find(kCombo)->rect);
    EXPECT_EQ(combo->pos(), given.topLeft());
    EXPECT_EQ(combo->width(), given.width());
    EXPECT_EQ(combo->height(), combo->sizeHint().height());
    EXPECT_LT(combo->height(), given.height());
}

TEST_F(QtFixture, PanelMovedWithMoveToLandsThereInsideItsParent) {
    RecordingHandler mainHandler;
    RecordingHandler infoHandler;
    auto main = Make(res::MainDialogTemplate(), mainHandler);
    auto info = Make(res::InfoDialogTemplate(), infoHandler, main.get());
    EXPECT_FALSE(info->IsShown());
    EXPECT_TRUE(info->Widget()->parentWidget() == main->ClientArea());
    EXPECT_FALSE(info->Widget()->isWindow());

    info->MoveTo({136, 482});
    info->Show(true);

    EXPECT_EQ(info->Bounds(), (Rect{136, 482, 618, 57}));
    EXPECT_EQ(info->Widget()->mapTo(main->Widget(), QPoint(0, 0)), QPoint(136, 482));
    EXPECT_TRUE(info->IsShown());
}

TEST_F(QtFixture, TopLevelWindowHasCaptionAndCloseBox) {
    RecordingHandler handler;
    auto main = Make(res::MainDialogTemplate(), handler);
    QWidget* window = main->Widget();
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    main->SetCaption("DVB R770 5.1 - Telquine");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("DVB R770 5.1 - Telquine"));
    main->MoveTo({40, 30});
    EXPECT_EQ(main->Bounds(), (Rect{40, 30, 758, 549}));
}

TEST_F(QtFixture, TemplateFlagsDecideWhatIsShownAndEnabled) {
    RecordingHandler handler;
    DialogTemplate t = FormTemplate();
    t.controls.push_back({77, ControlKind::Edit, {0, 0, 10, 10}, "", kVisible | kDisabled, {}, 0});
    t.controls.push_back({78, ControlKind::Edit, {0, 0, 10, 10}, "", kTabStop, {}, 0});
    auto form = Make(t, handler);
    EXPECT_TRUE(form->IsControlShown(kEdit));
    EXPECT_TRUE(form->IsControlEnabled(kEdit));
    EXPECT_TRUE(form->IsControlShown(77));
    EXPECT_FALSE(form->IsControlEnabled(77));
    EXPECT_FALSE(form->IsControlShown(78));

    form->ShowControl(78, true);
    form->EnableControl(77, true);
    EXPECT_TRUE(form->IsControlShown(78));
    EXPECT_TRUE(form->IsControlEnabled(77));
}

TEST_F(QtFixture, WindowsFacesAreReplacedByLiberationSansAtTheirPixelSizes) {
    RecordingHandler handler;
    auto info = Make(res::InfoDialogTemplate(), handler);
    const QFontInfo dialogFont(info->ControlWidget(res::kInfoText)->font());
    EXPECT_EQ(dialogFont.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(dialogFont.pixelSize(), 11) << "8 points at 96 dpi";

    info->SetFont(res::kInfoText, {"Arial", 18, 400});
    const QFontInfo messageFont(info->ControlWidget(res::kInfoText)->font());
    EXPECT_EQ(messageFont.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(messageFont.pixelSize(), 16) << "a cell 18 pixels high has an em of 16";

    info->SetFont(res::kInfoText, {"", 0, 700});
    const QFontInfo boldFont(info->ControlWidget(res::kInfoText)->font());
    EXPECT_EQ(boldFont.pixelSize(), 11);
    EXPECT_TRUE(boldFont.bold());
}

// A window taller and wider than the screen (the main window at twice the scale on a small screen) is made to fit
// whole, title bar included, and its content scrolls; a window of its own opens beside the window it belongs to;
// a window comes back where it stood, from the INI file of the program's data folder.
TEST_F(QtFixture, WindowsFitTheScreenOpenBesideTheirOwnerAndComeBackWhereTheyStood) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    DialogTemplate big{800,   {area.width(), area.height()},
                       "Big", "Microsoft Sans Serif",
                       8,     false,
                       false, {{kEdit, ControlKind::Edit, {4, 4, 60, 12}, "", kVisible | kTabStop, {}, 0}}};
    RecordingHandler handler;
    auto window = Make(big, handler);
    ShowExposed(*window);
    QWidget* frame = window->Widget();
    EXPECT_TRUE(area.contains(frame->frameGeometry())) << "frame outside the screen";
    EXPECT_LT(frame->height(), window->ClientArea()->height());
    auto* scroller = frame->findChild<QScrollArea*>();
    ASSERT_NE(scroller, nullptr);
    EXPECT_TRUE(scroller->verticalScrollBar()->isVisible());
    EXPECT_EQ(window->ClientArea()->size(), Pixels({0, 0, area.width(), area.height()}).size());

    DialogTemplate small{801, {100, 60}, "Small", "Microsoft Sans Serif", 8, false, false, {}};
    DialogTemplate owner = small;
    owner.id = 802;
    auto owning = Make(owner, handler);
    owning->MoveTo({0, 0});
    ShowExposed(*owning);
    auto beside = Make(small, handler, owning.get());
    ShowExposed(*beside);
    EXPECT_FALSE(beside->Widget()->frameGeometry().intersects(owning->Widget()->frameGeometry()));

    const QTemporaryDir folder;
    windows.KeepWindowPlacesIn(folder.path().toStdString());
    beside->MoveTo({123, 77});
    beside->Show(false);
    beside = Make(small, handler, owning.get());
    ShowExposed(*beside);
    EXPECT_EQ(beside->Widget()->pos(), QPoint(123, 77));
    qtback::KeepWindowPlacesIn({});
}

}  // namespace
}  // namespace kelvane::ui::test
