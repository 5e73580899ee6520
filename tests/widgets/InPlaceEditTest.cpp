#include "widgets/InPlaceEdit.h"

#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

constexpr int kList = 10;

class InPlaceEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::DialogTemplate t;
        t.id = 1;
        t.size = {200, 100};
        t.controls = {{kList, ui::ControlKind::ListView, {0, 0, 200, 100}, "", ui::kVisible | ui::kReport, {}, 0}};
        dialog = windows.CreateDialog(t, handler, nullptr);
        headless = windows.Find(1);
        dialog->SetColumns(kList, {{"A", 40}, {"B", 50}, {"C", 30}});
        for (int row = 0; row < 3; ++row) dialog->InsertRow(kList, row);
    }

    // Ends recorded by the dialog's handler.
    struct Recorder : ui::DialogHandler {
        void OnNotify(const ui::Notification& n) override {
            if (n.event == ui::Event::EndLabelEdit) ends.push_back(n);
        }
        std::vector<ui::Notification> ends;
    };

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    Recorder handler;
    std::unique_ptr<ui::Dialog> dialog;
    ui::HeadlessDialog* headless = nullptr;
};

TEST_F(InPlaceEditTest, OpensOverTheCellWithItsTextSelected) {
    CInPlaceEdit edit(2, 1, "42");
    ASSERT_TRUE(edit.Start(*dialog, kList, handler));
    ui::HeadlessCellEditor* editor = headless->ActiveCellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Bounds(), dialog->CellBounds(kList, 2, 1));
    EXPECT_EQ(editor->Text(), "42");
    EXPECT_TRUE(editor->SelectedAll());
    EXPECT_TRUE(editor->Focused());
}

TEST_F(InPlaceEditTest, EnterReportsTheTextEvenUnchangedAndEscapeReportsNone) {
    CInPlaceEdit first(1, 2, "7");
    first.Start(*dialog, kList, handler);
    headless->PressEditorKey(ui::EditorKey::Enter);
    ASSERT_EQ(handler.ends.size(), 1u);
    EXPECT_EQ(handler.ends[0].event, ui::Event::EndLabelEdit);
    EXPECT_EQ(handler.ends[0].control, kList);
    EXPECT_EQ(handler.ends[0].row, 1);
    EXPECT_EQ(handler.ends[0].column, 2);
    EXPECT_EQ(handler.ends[0].text, std::optional<std::string>("7"));
    EXPECT_EQ(headless->ActiveCellEditor(), nullptr);  // the editor is gone once the edit ended

    CInPlaceEdit second(0, 0, "5");
    second.Start(*dialog, kList, handler);
    headless->ActiveCellEditor()->Type("99");
    headless->PressEditorKey(ui::EditorKey::Escape);
    ASSERT_EQ(handler.ends.size(), 2u);
    EXPECT_FALSE(handler.ends[1].text.has_value());
}

TEST_F(InPlaceEditTest, ClickingElsewhereEndsWithTheTypedTextOnce) {
    CInPlaceEdit edit(0, 1, "3");
    edit.Start(*dialog, kList, handler);
    headless->ActiveCellEditor()->Type("");
    headless->Focus(kList);
    headless->Focus(0);
    ASSERT_EQ(handler.ends.size(), 1u);
    EXPECT_EQ(handler.ends[0].text, std::optional<std::string>(""));  // empty, not absent
    EXPECT_TRUE(edit.Finished());
}

TEST_F(InPlaceEditTest, GrowsWithItsTextUpToTheListsRightEdge) {
    CInPlaceEdit edit(0, 1, "1");  // column B: 40 to 90 pixels
    edit.Start(*dialog, kList, handler);
    ui::HeadlessCellEditor* editor = headless->ActiveCellEditor();
    editor->Type("123456");  // 6 × 7 + 5 = 47: fits in 50
    EXPECT_EQ(editor->Bounds().width, 50);
    editor->Type("1234567890");  // 75 needed: 40 + 75 = 115, within the list's 120
    EXPECT_EQ(editor->Bounds().width, 75);
    EXPECT_EQ(editor->Bounds().x, 40);
    editor->Type(std::string(30, '9'));  // far more than the list is wide
    EXPECT_EQ(editor->Bounds().x + editor->Bounds().width, 120);
}

}  // namespace
}  // namespace kelvane
