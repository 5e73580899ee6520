#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/Templates.h"

namespace kelvane::ui::test {
namespace {

constexpr int kNoSuchControl = 4242;

class BadCalls : public FormFixture {
protected:
    void SetUp() override {
        // The warnings these calls give are expected; they would only clutter the test output.
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        FormFixture::SetUp();
    }
    void TearDown() override { qInstallMessageHandler(previous); }

    QtMessageHandler previous = nullptr;
};

TEST_F(BadCalls, UnknownControlIdsAreIgnoredAndAnswerNothing) {
    const int id = kNoSuchControl;
    form->SetText(id, "x");
    form->ShowControl(id, true);
    form->EnableControl(id, false);
    form->SetReadOnly(id, true);
    form->SetColors(id, {});
    form->SetFont(id, {"Arial", 18, 400});
    form->SetFocus(id);
    form->SetBitmap(id, kTestBitmap);
    form->SetIcon(id, kTestIcon);
    form->SetTextLimit(id, 3);
    form->SetPassword(id, true);
    form->AddItem(id, "x");
    form->DeleteItem(id, 0);
    form->ClearItems(id);
    form->SetCurrentIndex(id, 0);
    form->SetColumns(id, {{"A", 10}});
    form->SetImageList(id, {{16, 16}, {kTestBitmap}});
    form->SetIconSpacing(id, {52, 20});
    form->InsertRow(id, 0);
    form->DeleteRow(id, 0);
    form->SetCell(id, 0, 0, {"x", 0});
    form->SetRowTextColor(id, 0, kBlack);
    form->SetRowSelected(id, 0, true);
    form->SetRange(id, 0, 5);
    form->SetPosition(id, 2);
    form->SetTickFrequency(id, 1);
    form->SetChecked(id, true);
    form->SetTimeOfDay(id, 60);

    EXPECT_EQ(form->Text(id), "");
    EXPECT_FALSE(form->IsControlShown(id));
    EXPECT_FALSE(form->IsControlEnabled(id));
    EXPECT_EQ(form->ItemCount(id), 0);
    EXPECT_EQ(form->ItemText(id, 0), "");
    EXPECT_EQ(form->CurrentIndex(id), -1);
    EXPECT_EQ(form->RowCount(id), 0);
    EXPECT_EQ(form->Cell(id, 0, 0), ListCell{});
    EXPECT_TRUE(form->SelectedRows(id).empty());
    EXPECT_EQ(form->CellBounds(id, 0, 0), Rect{});
    EXPECT_EQ(form->Position(id), 0);
    EXPECT_FALSE(form->IsChecked(id));
    EXPECT_EQ(form->TimeOfDay(id), 0);
    EXPECT_EQ(form->ControlWidget(id), nullptr);
    EXPECT_TRUE(handler.notifications.empty());
}

TEST_F(BadCalls, CallsAControlsKindCannotTakeAreIgnored) {
    form->SetText(kEdit, "kept");
    form->SetRange(kEdit, 0, 5);
    form->AddItem(kButton, "x");
    form->SetCell(kListBox, 0, 0, {"x", 0});
    form->SetChecked(kEdit, true);
    form->SetTimeOfDay(kSlider, 60);
    form->SetPassword(kMemo, true);
    form->SetReadOnly(kCombo, true);
    EXPECT_EQ(form->Text(kEdit), "kept");
    EXPECT_EQ(form->Position(kEdit), 0);
    EXPECT_EQ(form->ItemCount(kListBox), 3);
    EXPECT_EQ(form->RowCount(kListBox), 0);
    EXPECT_EQ(form->TimeOfDay(kSlider), 0);
}

TEST_F(BadCalls, RowsAndColumnsOutsideAListAreIgnored) {
    form->InsertRow(kReportList, 0);
    form->SetCell(kReportList, 5, 0, {"x", 0});
    form->SetCell(kReportList, 0, -1, {"x", 0});
    form->SetRowTextColor(kReportList, 5, kBlack);
    form->SetRowSelected(kReportList, -1, true);
    form->DeleteRow(kReportList, 3);
    form->DeleteRow(kIcons, 0);
    EXPECT_EQ(form->RowCount(kReportList), 1);
    EXPECT_EQ(form->Cell(kReportList, 5, 0), ListCell{});
    EXPECT_EQ(form->CellBounds(kReportList, 0, 9), Rect{});
    EXPECT_EQ(form->CellBounds(kIcons, 0, 0), Rect{});
    EXPECT_TRUE(form->SelectedRows(kReportList).empty());
}

TEST_F(BadCalls, PanelWhoseParentIsGoneAnswersNothing) {
    RecordingHandler panelHandler;
    auto panel = Make(PanelTemplate(), panelHandler, form.get());
    panel->SetTimer(1, 1);
    form.reset();
    panel->SetText(kEdit, "x");
    panel->Show(true);
    panel->SetTimer(1, 5);
    EXPECT_FALSE(panel->IsShown());
    EXPECT_EQ(panel->Text(kEdit), "");
    EXPECT_EQ(panel->Widget(), nullptr);
    EXPECT_TRUE(panelHandler.notifications.empty());
}

}  // namespace
}  // namespace kelvane::ui::test
