#include "ui/qt/FocusFrame.h"

#include "ui/qt/Control.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace kelvane::ui::qtback {
namespace {

constexpr int kFrameWidth = 2;
constexpr QColor kFrameColor{0, 102, 204};

class FrameWidget final : public QWidget {
public:
    explicit FrameWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("focus-frame"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPen pen(kFrameColor, kFrameWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(rect()).adjusted(kFrameWidth / 2.0, kFrameWidth / 2.0, -kFrameWidth / 2.0, -kFrameWidth / 2.0));
    }
};

// The program's control that `widget` belongs to: inner widgets, such as a time picker's field, count as theirs.
QWidget* ControlOf(QWidget* widget) {
    for (QWidget* at = widget; at != nullptr && !at->isWindow(); at = at->parentWidget()) {
        if (at->property(Control::kMarker).toBool()) return at;
    }
    return nullptr;
}

}  // namespace

FocusFrame::FocusFrame() {
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* to) { Follow(to); });
}

FocusFrame::~FocusFrame() {
    if (control_ != nullptr) control_->removeEventFilter(this);
    delete frame_.data();
}

void FocusFrame::Follow(QWidget* focused) {
    QWidget* control = ControlOf(focused);
    if (control == control_) return;
    if (control_ != nullptr) control_->removeEventFilter(this);
    control_ = control;
    if (control == nullptr) {
        if (frame_ != nullptr) frame_->hide();
        return;
    }
    control->installEventFilter(this);
    if (frame_ == nullptr || frame_->parentWidget() != control->parentWidget()) {
        delete frame_.data();
        frame_ = new FrameWidget(control->parentWidget());
    }
    Place();
}

void FocusFrame::Place() {
    if (frame_ == nullptr || control_ == nullptr) return;
    frame_->setGeometry(control_->geometry().adjusted(-kFrameWidth, -kFrameWidth, kFrameWidth, kFrameWidth));
    frame_->setVisible(control_->isVisible());
    frame_->raise();
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide: Place(); break;
        default: break;
        }
    }
    return false;
}

}  // namespace kelvane::ui::qtback
