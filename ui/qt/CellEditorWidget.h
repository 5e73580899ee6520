#pragma once

#include "ui/Dialog.h"

#include <QPointer>

class QLineEdit;
class QObject;
class QWidget;

namespace kelvane::ui::qtback {

// A line edit laid over one cell of a report list. It keeps Enter, Escape and Delete for itself and reports
// them, its edits and the loss of its focus; it may be destroyed from inside any of those reports.
class CellEditorWidget final : public CellEditor {
public:
    CellEditorWidget(QWidget* list, const Rect& bounds, CellEditorEvents& events);
    ~CellEditorWidget() override;

    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SelectAll() override;
    void Focus() override;
    Rect Bounds() const override;
    void SetBounds(const Rect& bounds) override;
    int TextWidth(const std::string& text) const override;
    int ListClientWidth() const override;

    // The property that marks the edit, so that dialog-wide key handling leaves its keys alone.
    static constexpr const char* kMarker = "kelvaneCellEditor";

private:
    QPointer<QWidget> list_;
    QPointer<QLineEdit> edit_;
    QObject* watcher_ = nullptr;
};

}  // namespace kelvane::ui::qtback
