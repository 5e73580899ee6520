#include "ui/qt/KeyRouter.h"

#include "ui/qt/CellEditorWidget.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/RowKeys.h"

#include <QKeyEvent>
#include <QPushButton>

namespace kelvane::ui::qtback {
namespace {

enum class DialogKey { None, Ok, Cancel };

DialogKey KeyOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) return DialogKey::None;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return DialogKey::Ok;
    case Qt::Key_Escape: return DialogKey::Cancel;
    default: return DialogKey::None;
    }
}

}  // namespace

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    // A cell editor keeps Enter and Escape: they end its edit, not the dialog's.
    if (watched->property(CellEditorWidget::kMarker).toBool()) return false;
    // So does a list whose rows Enter opens.
    if (watched->property(RowKeys::kMarker).toBool() && KeyOf(*static_cast<QKeyEvent*>(event)) == DialogKey::Ok) {
        return false;
    }
    const DialogKey key = KeyOf(*static_cast<QKeyEvent*>(event));
    if (key == DialogKey::None) return false;
    DialogWindow* dialog = DialogWindow::Of(static_cast<QWidget*>(watched));
    if (dialog == nullptr) return false;
    // A push button with the focus is the dialog's default button for as long as it has it: Enter presses it,
    // so that Enter on a cancel button cancels.
    if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr && key == DialogKey::Ok) {
        button->click();
    } else if (key == DialogKey::Ok) {
        dialog->Ok();
    } else {
        dialog->Cancel();
    }
    return true;
}

}  // namespace kelvane::ui::qtback
