#include "widgets/InPlaceEdit.h"

#include <algorithm>

namespace kelvane {

bool CInPlaceEdit::Start(ui::Dialog& dialog, int listControl, ui::DialogHandler& notify) {
    dialog_ = &dialog;
    notify_ = &notify;
    list_ = listControl;
    editor_ = dialog.CreateCellEditor(listControl, dialog.CellBounds(listControl, row_, column_), *this);
    if (!editor_) return false;
    editor_->SetText(initialText_);
    editor_->Focus();
    editor_->SelectAll();
    return true;
}

void CInPlaceEdit::OnEditorKey(ui::EditorKey key) {
    if (key == ui::EditorKey::Escape) escaped_ = true;
    // Handing the focus back to the list is what ends the edit, as a click elsewhere does.
    dialog_->SetFocus(list_);
    if (!finished_) OnEditorFocusLost();
}

void CInPlaceEdit::OnEditorTextEdited() {
    const int needed = editor_->TextWidth(editor_->Text()) + kGrowthMargin;
    ui::Rect bounds = editor_->Bounds();
    if (needed <= bounds.width) return;
    const int right = std::min(bounds.x + needed, editor_->ListClientWidth());
    bounds.width = std::max(bounds.width, right - bounds.x);
    editor_->SetBounds(bounds);
}

void CInPlaceEdit::OnEditorFocusLost() {
    if (finished_) return;
    finished_ = true;
    ui::Notification end;
    end.control = list_;
    end.event = ui::Event::EndLabelEdit;
    end.row = row_;
    end.column = column_;
    if (!escaped_) end.text = editor_->Text();
    // The editor goes before the dialog hears of the edit, so that a new edit may start from the handler.
    auto editor = std::move(editor_);
    editor.reset();
    notify_->OnNotify(end);
}

}  // namespace kelvane
