#pragma once

#include "ui/Dialog.h"

#include <memory>
#include <string>

namespace kelvane {

// A one-line edit over one cell of a report list. When editing ends it reports to the list's dialog exactly
// as an edit of the list's own label would: an end-of-label-edit notification with the text, or with none
// when the operator pressed Escape. It lives for one edit.
class CInPlaceEdit final : public ui::CellEditorEvents {
public:
    static constexpr int kGrowthMargin = 5;

    CInPlaceEdit(int row, int column, std::string initialText)
        : row_(row), column_(column), initialText_(std::move(initialText)) {}

    // Opens the editor over the cell of list `listControl` in `dialog`; `notify` hears the end of the edit.
    // False when the window system could not make an editor.
    bool Start(ui::Dialog& dialog, int listControl, ui::DialogHandler& notify);

    // Whether the edit is over (the notification went out).
    bool Finished() const { return finished_; }

    void OnEditorKey(ui::EditorKey key) override;
    void OnEditorTextEdited() override;
    void OnEditorFocusLost() override;

private:
    int row_;
    int column_;
    std::string initialText_;
    bool escaped_ = false;
    bool finished_ = false;
    ui::Dialog* dialog_ = nullptr;
    ui::DialogHandler* notify_ = nullptr;
    int list_ = 0;
    std::unique_ptr<ui::CellEditor> editor_;
};

}  // namespace kelvane
