#include "QtFixture.h"
#include "TestTemplates.h"

#include <QListWidget>

namespace kelvane::ui::test {
namespace {

class ListBox : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ShowExposed(*form);
        list = static_cast<QListWidget*>(form->ControlWidget(kListBox));
    }

    QPoint CentreOf(int row) const { return list->visualItemRect(list->item(row)).center(); }

    QListWidget* list = nullptr;
};

TEST_F(ListBox, ItemsAreAddedDeletedAndClearedWithNothingChosen) {
    EXPECT_EQ(form->ItemCount(kListBox), 3);
    EXPECT_EQ(form->CurrentIndex(kListBox), -1);
    form->AddItem(kListBox, "four");
    form->DeleteItem(kListBox, 0);
    form->DeleteItem(kListBox, 9);
    EXPECT_EQ(form->ItemCount(kListBox), 3);
    EXPECT_EQ(form->ItemText(kListBox, 2), "four");
    EXPECT_EQ(form->ItemText(kListBox, 3), "");
    EXPECT_EQ(form->CurrentIndex(kListBox), -1);
    form->SetCurrentIndex(kListBox, 1);
    EXPECT_EQ(form->Text(kListBox), "three");
    form->SetCurrentIndex(kListBox, -1);
    EXPECT_EQ(form->CurrentIndex(kListBox), -1);
    form->SetCurrentIndex(kListBox, 1);
    form->DeleteItem(kListBox, 0);
    EXPECT_EQ(form->Text(kListBox), "three") << "an earlier entry's deletion keeps the choice";
    form->DeleteItem(kListBox, 0);
    EXPECT_EQ(form->CurrentIndex(kListBox), -1) << "a neighbour of the deleted choice is not chosen in its place";
    form->ClearItems(kListBox);
    EXPECT_EQ(form->ItemCount(kListBox), 0);
}

TEST_F(ListBox, DoubleClickChoosesTheEntryAndReportsItsRow) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, CentreOf(2));
    ASSERT_TRUE(WaitFor([&] { return !handler.Of(kListBox, Event::DoubleClicked).empty(); }));
    EXPECT_EQ(handler.Of(kListBox, Event::DoubleClicked)[0].row, 2);
    EXPECT_EQ(form->CurrentIndex(kListBox), 2) << "the handler reads the chosen entry";
    ASSERT_FALSE(handler.Of(kListBox, Event::SelectionChanged).empty());
    EXPECT_FALSE(handler.Of(kListBox, Event::SelectionChanged)[0].byProgram);
}

TEST_F(ListBox, DoubleClickBelowTheEntriesReportsNoRow) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
    ASSERT_TRUE(WaitFor([&] { return !handler.Of(kListBox, Event::DoubleClicked).empty(); }));
    EXPECT_EQ(handler.Of(kListBox, Event::DoubleClicked)[0].row, -1);
}

TEST_F(ListBox, ColoursAndFontOfTheMenuList) {
    ControlColors colors;
    colors.text = {128, 128, 255};
    colors.hasText = true;
    colors.background = kBlack;
    colors.hasBackground = true;
    form->SetColors(kListBox, colors);
    form->SetFont(kListBox, {"Arial", 18, 400});
    EXPECT_EQ(list->palette().color(QPalette::Active, QPalette::Text), QColor(128, 128, 255));
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(list->font().pixelSize(), 16);

    form->SetColors(kListBox, {});
    EXPECT_EQ(list->palette().color(QPalette::Base), QApplication::palette(list).color(QPalette::Base))
        << "default colours come back";
}

}  // namespace
}  // namespace kelvane::ui::test
