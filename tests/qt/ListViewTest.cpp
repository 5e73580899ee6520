#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QTableWidget>

namespace kelvane::ui::test {
namespace {

// Clicks reach the handler once Qt has handled them, so the tests wait for them.
bool WaitForNotification(const RecordingHandler& handler, int control, Event event) {
    return WaitFor([&] { return !handler.Of(control, event).empty(); });
}

class ModuleList : public QtFixture {
protected:
    void SetUp() override {
        main = Make(res::MainDialogTemplate(), handler);
        main->SetImageList(res::kModuleList, {{48, 48}, {kTestBitmap}});
        main->SetIconSpacing(res::kModuleList, {52, 20});
        for (int row = 0; row < 13; ++row) {
            main->InsertRow(res::kModuleList, row);
            main->SetCell(res::kModuleList, row, 0, {"KXD410\r\nV 3.00", 0});
        }
        ShowExposed(*main);
        list = static_cast<QListWidget*>(main->ControlWidget(res::kModuleList));
    }

    QPoint CentreOf(int row) const { return list->visualItemRect(list->item(row)).center(); }

    RecordingHandler handler;
    std::unique_ptr<QtDialog> main;
    QListWidget* list = nullptr;
};

TEST_F(ModuleList, ClickOnARowReportsThatRow) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CentreOf(1));
    ASSERT_TRUE(WaitForNotification(handler, res::kModuleList, Event::Clicked));
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[0].row, 1);
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[0].column, 0);
}

TEST_F(ModuleList, ClickOnEmptySpaceReportsNoRow) {
    const QRect row = list->visualItemRect(list->item(0));
    const QPoint beside(list->viewport()->width() - 2, row.center().y());
    ASSERT_GT(beside.x(), row.right()) << "the list has no empty space beside its rows";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, beside);
    ASSERT_TRUE(WaitForNotification(handler, res::kModuleList, Event::Clicked));
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[0].row, -1);
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[0].column, -1);
}

TEST_F(ModuleList, DoubleClickReportsTheRowOnceAndNoSecondClick) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, CentreOf(2));
    ASSERT_TRUE(WaitForNotification(handler, res::kModuleList, Event::DoubleClicked));
    EXPECT_EQ(handler.Of(res::kModuleList, Event::DoubleClicked).size(), 1u);
    EXPECT_EQ(handler.Of(res::kModuleList, Event::DoubleClicked)[0].row, 2);
    EXPECT_LE(handler.Of(res::kModuleList, Event::Clicked).size(), 1u);
}

TEST_F(ModuleList, SelectingARowReportsItsStateAndTheHandlerMayDeselectItAtOnce) {
    handler.onNotify = [&](const Notification& n) {
        if (n.event == Event::RowStateChanged && n.row >= 0) main->SetRowSelected(res::kModuleList, n.row, false);
    };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CentreOf(3));
    ASSERT_TRUE(WaitForNotification(handler, res::kModuleList, Event::Clicked));
    ASSERT_FALSE(handler.Of(res::kModuleList, Event::RowStateChanged).empty());
    EXPECT_EQ(handler.Of(res::kModuleList, Event::RowStateChanged)[0].row, 3);
    EXPECT_TRUE(main->SelectedRows(res::kModuleList).empty());
}

// The keyboard opens the focused row as a click does; Enter and Space do not reach the dialog as OK.
TEST_F(ModuleList, EnterOrSpaceOnTheCurrentRowActsAsAClickOnIt) {
    list->setFocus();
    list->setCurrentRow(4);
    handler.notifications.clear();
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(WaitForNotification(handler, res::kModuleList, Event::Clicked));
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[0].row, 4);
    EXPECT_EQ(handler.oks, 0);
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return handler.Of(res::kModuleList, Event::Clicked).size() == 2; }));
    EXPECT_EQ(handler.Of(res::kModuleList, Event::Clicked)[1].row, 2);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(handler.cancels, 1) << "Escape is still the dialog's";
}

// Tab runs through the module list and the buttons in the order of the template, each drawn in a frame that
// is seen in the window's own pixels while it has the focus.
TEST_F(ModuleList, TabReachesTheListAndTheButtonsAndTheFocusedOneIsFramed) {
    ShowActive(*main);
    list->setFocus(Qt::TabFocusReason);
    std::vector<int> order{main->FocusedControl()};
    for (int k = 0; k < 4; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(main->FocusedControl());
        QWidget* focused = main->ControlWidget(order.back());
        ASSERT_NE(focused, nullptr);
        const QImage shot = main->Widget()->grab().toImage();
        const QPoint corner = focused->mapTo(main->Widget(), QPoint(-1, -1));
        EXPECT_EQ(shot.pixelColor(corner), QColor(0, 102, 204)) << "no frame around control " << order.back();
    }
    EXPECT_EQ(order, (std::vector<int>{res::kModuleList, res::kDiscoverButton, res::kUploadButton, res::kSaveButton,
                                       res::kModuleList}));
}

// Rows that are on show at all are on show whole, wherever the list was scrolled to, and the scroll bar says
// that more rows follow.
TEST_F(ModuleList, ShowsOnlyWholeRowsAndItsScrollBar) {
    const auto cutRows = [&] {
        std::vector<int> cut;
        const QRect shown = list->viewport()->rect();
        for (int row = 0; row < list->count(); ++row) {
            const QRect rect = list->visualItemRect(list->item(row));
            if (shown.intersects(rect) && !shown.contains(rect)) cut.push_back(row);
        }
        return cut;
    };
    EXPECT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_TRUE(cutRows().empty()) << "row " << cutRows().front() << " is cut";
    for (const int row : {12, 3, 9}) {
        main->ScrollToRow(res::kModuleList, row);
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(row)))) << row;
        EXPECT_TRUE(cutRows().empty()) << "after scrolling to row " << row;
    }
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() + 37);
    EXPECT_TRUE(cutRows().empty()) << "after dragging the bar";
    EXPECT_GE(list->height(), 520) << "the list gives up only a few pixels";
}

TEST_F(ModuleList, ButtonsCarryTheirHints) {
    main->SetToolTip(res::kSaveButton, "Save the rack's configuration to a file");
    EXPECT_EQ(main->ControlWidget(res::kSaveButton)->toolTip(),
              QStringLiteral("Save the rack's configuration to a file"));
}

TEST_F(ModuleList, LabelsBreakWhereTheProgramPutCarriageReturns) {
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("KXD410\nV 3.00"));
    EXPECT_EQ(main->Cell(res::kModuleList, 0, 0), (ListCell{"KXD410\r\nV 3.00", 0}));
    const QRect row = list->visualItemRect(list->item(0));
    EXPECT_GE(row.height(), 48 + 2 * list->fontMetrics().lineSpacing()) << "room for the image and two lines";
}

TEST_F(ModuleList, IconSpacingPlacesRowsButNeverMakesThemOverlap) {
    const QRect first = list->visualItemRect(list->item(0));
    const QRect second = list->visualItemRect(list->item(1));
    EXPECT_GE(second.top(), first.bottom());
    main->SetIconSpacing(res::kModuleList, {52, 120});
    QCoreApplication::sendPostedEvents();
    QTest::qWait(1);
    // At least the spacing asked for; a little more when that lets the list end on a whole row.
    EXPECT_EQ(list->gridSize().width(), 52);
    EXPECT_GE(list->gridSize().height(), 120);
    EXPECT_LT(list->gridSize().height(), 120 + 120 / 4);
}

TEST_F(ModuleList, RowsKeepCellsOfEveryColumnAndTheirImages) {
    main->SetCell(res::kModuleList, 4, 1, {"hidden", 3});
    EXPECT_EQ(main->Cell(res::kModuleList, 4, 1), (ListCell{"hidden", 3}));
    EXPECT_EQ(main->Cell(res::kModuleList, 4, 2), (ListCell{"", kNoImage}));
    EXPECT_FALSE(list->item(4)->icon().isNull());
    main->SetCell(res::kModuleList, 4, 0, {"", 5});
    EXPECT_TRUE(list->item(4)->icon().isNull()) << "an image the list does not have shows nothing";

    main->InsertRow(res::kModuleList, 99);
    EXPECT_EQ(main->RowCount(res::kModuleList), 14);
    main->DeleteRow(res::kModuleList, 0);
    EXPECT_EQ(main->RowCount(res::kModuleList), 13);
    EXPECT_EQ(main->Cell(res::kModuleList, 3, 0), (ListCell{"", 5}));
}

class ServiceList : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        form->SetImageList(kReportList, {{16, 16}, {kTestBitmap, kMissingArt}});
        form->SetColumns(kReportList, {{"VOID", 1}, {"SHARE", 19}, {"SID", 50}, {"NAME", 100}});
        for (int row = 0; row < 3; ++row) {
            form->InsertRow(kReportList, row);
            form->SetCell(kReportList, row, 1, {"", 0});
            form->SetCell(kReportList, row, 2, {std::to_string(1001 + row), kNoImage});
        }
        ShowExposed(*form);
        table = static_cast<QTableWidget*>(form->ControlWidget(kReportList));
    }

    QPoint CentreOf(int row, int column) const {
        return table->visualRect(table->model()->index(row, column)).center();
    }

    // The form with the report list's style changed.
    static DialogTemplate FormWithListStyle(std::uint32_t added, std::uint32_t removed) {
        DialogTemplate changed = FormTemplate();
        for (ControlTemplate& control : changed.controls) {
            if (control.id == kReportList) control.style = (control.style | added) & ~removed;
        }
        return changed;
    }

    QTableWidget* table = nullptr;
};

TEST_F(ServiceList, HasNoHeaderButGridLinesAndSelectsWholeRows) {
    EXPECT_FALSE(table->horizontalHeader()->isVisible());
    EXPECT_TRUE(table->showGrid());
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->columnWidth(0), 1);
    EXPECT_EQ(table->columnWidth(3), 100);
}

TEST_F(ServiceList, ColumnsAlignTheirCellsAsTheProgramSaid) {
    form->SetColumns(kReportList, {{"VOID", 1, ColumnAlign::Left},
                                   {"SHARE", 19, ColumnAlign::Right},
                                   {"SID", 50, ColumnAlign::Centre},
                                   {"NAME", 100}});
    form->SetCell(kReportList, 0, 3, {"France 2", kNoImage});
    EXPECT_EQ(table->item(0, 2)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(table->item(0, 1)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(table->item(0, 3)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    form->InsertRow(kReportList, 3);
    form->SetCell(kReportList, 3, 2, {"1004", kNoImage});
    EXPECT_EQ(table->item(3, 2)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter) << "a later row too";
}

TEST_F(ServiceList, CellsKeepTextAndImageAndShowTheImage) {
    EXPECT_EQ(form->Cell(kReportList, 1, 2), (ListCell{"1002", kNoImage}));
    EXPECT_EQ(form->Cell(kReportList, 1, 1), (ListCell{"", 0}));
    EXPECT_EQ(form->Cell(kReportList, 1, 3), (ListCell{"", kNoImage}));
    EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("1002"));
    form->SetCellToolTip(kReportList, 1, 1, "Free to air");
    EXPECT_EQ(table->item(1, 1)->toolTip(), QStringLiteral("Free to air"));
    const QImage image = table->item(1, 1)->icon().pixmap(QSize(16, 16)).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(4, 8), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(12, 8), QColor(0, 0, 255));

    form->SetCell(kReportList, 1, 1, {"", 1});
    EXPECT_TRUE(table->item(1, 1)->icon().isNull()) << "missing artwork shows nothing";
    form->SetCell(kReportList, 1, 6, {"beyond", kNoImage});
    EXPECT_EQ(form->Cell(kReportList, 1, 6), (ListCell{"beyond", kNoImage}));
    EXPECT_EQ(table->columnWidth(6), 0) << "a cell under no column stays out of sight";
}

TEST_F(ServiceList, RowTextColourReachesEveryCellOfTheRowAlsoThoseSetLater) {
    form->SetRowTextColor(kReportList, 2, {64, 0, 0});
    form->SetCell(kReportList, 2, 3, {"Radio Classique", kNoImage});
    EXPECT_EQ(table->item(2, 2)->foreground().color(), QColor(64, 0, 0));
    EXPECT_EQ(table->item(2, 3)->foreground().color(), QColor(64, 0, 0));
    EXPECT_NE(table->item(1, 2)->foreground().color(), QColor(64, 0, 0));

    form->InsertRow(kReportList, 0);
    EXPECT_EQ(table->item(3, 3)->foreground().color(), QColor(64, 0, 0)) << "the colour moves with its row";
    form->SetCell(kReportList, 0, 2, {"999", kNoImage});
    EXPECT_NE(table->item(0, 2)->foreground().color(), QColor(64, 0, 0));
}

TEST_F(ServiceList, CellBoundsAreInTheListsOwnPixels) {
    const int rowHeight = table->rowHeight(0);
    EXPECT_EQ(rowHeight, 17) << "16-pixel images and the dialog font";
    const int frame = table->frameWidth();
    EXPECT_EQ(form->CellBounds(kReportList, 2, 3), (Rect{frame + 1 + 19 + 50, frame + 2 * rowHeight, 100, rowHeight}));
    const Rect bounds = form->CellBounds(kReportList, 1, 2);
    EXPECT_EQ(table->childAt(bounds.x + 5, bounds.y + 5), table->viewport());
    EXPECT_EQ(table->indexAt(table->viewport()->mapFrom(table, QPoint(bounds.x + 5, bounds.y + 5))),
              table->model()->index(1, 2));
}

TEST_F(ServiceList, CellBoundsCountTheHeaderWhenThereIsOne) {
    RecordingHandler otherHandler;
    auto other = Make(FormWithListStyle(0, kNoHeader), otherHandler);
    other->SetColumns(kReportList, {{"SID", 50}, {"NAME", 100}});
    other->InsertRow(kReportList, 0);
    ShowExposed(*other);
    auto* otherTable = static_cast<QTableWidget*>(other->ControlWidget(kReportList));
    EXPECT_EQ(other->CellBounds(kReportList, 0, 1).y,
              otherTable->frameWidth() + otherTable->horizontalHeader()->height());
    EXPECT_EQ(otherTable->horizontalHeaderItem(1)->text(), QStringLiteral("NAME"));
}

TEST_F(ServiceList, ClicksAndDoubleClicksReportRowAndColumnOrNone) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CentreOf(1, 2));
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, CentreOf(2, 3));
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, QPoint(10, table->viewport()->height() - 3));
    ASSERT_TRUE(WaitFor([&] { return handler.Of(kReportList, Event::DoubleClicked).size() == 2; }));
    const auto clicks = handler.Of(kReportList, Event::Clicked);
    ASSERT_FALSE(clicks.empty());
    EXPECT_EQ(clicks[0].row, 1);
    EXPECT_EQ(clicks[0].column, 2);
    const auto doubles = handler.Of(kReportList, Event::DoubleClicked);
    EXPECT_EQ(doubles[0].row, 2);
    EXPECT_EQ(doubles[0].column, 3);
    EXPECT_EQ(doubles[1].row, -1);
    EXPECT_EQ(doubles[1].column, -1);
}

// The keyboard works the cell it is on as a double-click does: the arrow keys move across the columns too.
TEST_F(ServiceList, EnterOrSpaceOnTheCurrentCellActsAsADoubleClickOnIt) {
    table->setFocus();
    table->setCurrentCell(1, 2);
    QTest::keyClick(table, Qt::Key_Right);
    QTest::keyClick(table, Qt::Key_Return);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return handler.Of(kReportList, Event::DoubleClicked).size() == 2; }));
    const auto doubles = handler.Of(kReportList, Event::DoubleClicked);
    EXPECT_EQ(std::pair(doubles[0].row, doubles[0].column), std::pair(1, 3));
    EXPECT_EQ(std::pair(doubles[1].row, doubles[1].column), std::pair(2, 3));
    EXPECT_EQ(handler.oks, 0);
}

TEST_F(ServiceList, SelectionByTheProgramAndByTheOperator) {
    form->SetRowSelected(kReportList, 0, true);
    form->SetRowSelected(kReportList, 2, true);
    EXPECT_EQ(form->SelectedRows(kReportList), (std::vector<int>{0, 2}));
    EXPECT_TRUE(handler.Of(kReportList, Event::RowStateChanged).empty()) << "the program's selection is not reported";

    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CentreOf(1, 3));
    EXPECT_EQ(form->SelectedRows(kReportList), (std::vector<int>{1}));
    std::vector<int> changed;
    for (const Notification& n : handler.Of(kReportList, Event::RowStateChanged)) changed.push_back(n.row);
    EXPECT_EQ(changed, (std::vector<int>{0, 2, 1})) << "deselected rows first, then the selected one";
}

TEST_F(ServiceList, ASingleSelectionListKeepsOneRowSelectedByTheProgram) {
    RecordingHandler otherHandler;
    auto other = Make(FormWithListStyle(kSingleSelection, 0), otherHandler);
    other->SetColumns(kReportList, {{"SID", 50}});
    for (int row = 0; row < 3; ++row) other->InsertRow(kReportList, row);
    other->SetRowSelected(kReportList, 0, true);
    other->SetRowSelected(kReportList, 2, true);
    EXPECT_EQ(other->SelectedRows(kReportList), (std::vector<int>{2}));
}

}  // namespace
}  // namespace kelvane::ui::test
