#include "ui/qt/CellEditorWidget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>

namespace kelvane::ui::qtback {
namespace {

// Turns the edit's keys and focus into the editor's reports.
class EditWatcher final : public QObject {
public:
    EditWatcher(QLineEdit* edit, CellEditorEvents& events) : QObject(edit), events_(events) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this] { events_.OnEditorTextEdited(); });
    }
    // Once the editor is gone, nothing more is reported.
    void Silence() { silenced_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (silenced_) return false;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                events_.OnEditorKey(key == Qt::Key_Escape ? EditorKey::Escape : EditorKey::Enter);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            events_.OnEditorFocusLost();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CellEditorEvents& events_;
    bool silenced_ = false;
};

}  // namespace

CellEditorWidget::CellEditorWidget(QWidget* list, const Rect& bounds, CellEditorEvents& events)
    : list_(list), edit_(new QLineEdit(list)) {
    edit_->setProperty(kMarker, true);
    edit_->setFont(list->font());
    edit_->setFrame(true);
    watcher_ = new EditWatcher(edit_, events);
    SetBounds(bounds);
    edit_->show();
}

CellEditorWidget::~CellEditorWidget() {
    if (edit_ == nullptr) return;
    static_cast<EditWatcher*>(watcher_)->Silence();
    edit_->hide();
    // Possibly inside one of the edit's own events: let Qt finish with it first.
    edit_->deleteLater();
}

void CellEditorWidget::SetText(const std::string& text) {
    if (edit_ != nullptr) edit_->setText(QString::fromStdString(text));
}

std::string CellEditorWidget::Text() const { return edit_ != nullptr ? edit_->text().toStdString() : std::string(); }

void CellEditorWidget::SelectAll() {
    if (edit_ != nullptr) edit_->selectAll();
}

void CellEditorWidget::Focus() {
    if (edit_ != nullptr) edit_->setFocus(Qt::OtherFocusReason);
}

Rect CellEditorWidget::Bounds() const {
    if (edit_ == nullptr) return {};
    const QRect r = edit_->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void CellEditorWidget::SetBounds(const Rect& bounds) {
    if (edit_ != nullptr) edit_->setGeometry(bounds.x, bounds.y, bounds.width, bounds.height);
}

int CellEditorWidget::TextWidth(const std::string& text) const {
    return list_ != nullptr ? QFontMetrics(list_->font()).horizontalAdvance(QString::fromStdString(text)) : 0;
}

int CellEditorWidget::ListClientWidth() const { return list_ != nullptr ? list_->width() : 0; }

}  // namespace kelvane::ui::qtback
