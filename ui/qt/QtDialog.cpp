#include "ui/qt/QtDialog.h"

#include "ui/qt/Activity.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/ControlFactory.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/EventPump.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/WindowPlaces.h"
#include "ui/qt/WindowBars.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace kelvane::ui {

using qtback::DispatchScope;
using qtback::ProgramScope;

namespace {

Qt::WindowFlags WindowFlags(const DialogTemplate& dialogTemplate, bool hasParent) {
    if (dialogTemplate.child) return Qt::Widget;
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    // A window of its own may be minimised; one over the program's window goes and comes with it.
    return hasParent ? flags | Qt::Dialog : flags | Qt::Window | Qt::WindowMinimizeButtonHint;
}

}  // namespace

QtDialog::QtDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler, QtDialog* parent)
    : template_(dialogTemplate),
      handler_(handler),
      alive_(std::make_shared<bool>(true)),
      context_(std::make_unique<QObject>()),
      font_(qtback::DialogFont(dialogTemplate.fontFace, dialogTemplate.fontPoints)) {
    BuildWindow(parent);
    BuildControls();
    QObject::connect(qApp, &QApplication::focusChanged, context_.get(),
                     [this](QWidget* from, QWidget* to) { OnFocusChanged(from, to); });
    if (template_.visible) Show(true);
}

QtDialog::~QtDialog() {
    *alive_ = false;
    if (modal_) {
        modal_->dialogAlive = false;
        if (modal_->loop != nullptr) modal_->loop->exit();
    }
    context_.reset();
    controls_.clear();
    if (window_ == nullptr) return;
    window_->Detach();
    for (auto& [id, timer] : timers_) {
        if (timer != nullptr) timer->stop();
    }
    const ProgramScope scope;
    RememberPlace();
    window_->hide();
    // A handler may destroy its dialog from inside an event of one of the dialog's own widgets: Qt must be
    // able to finish delivering that event first.
    if (qtback::Dispatching()) {
        window_->deleteLater();
    } else {
        delete window_.data();
    }
}

void QtDialog::BuildWindow(QtDialog* parent) {
    QWidget* parentWidget = parent != nullptr ? parent->ClientArea() : nullptr;
    window_ = new qtback::DialogWindow(parentWidget, WindowFlags(template_, parentWidget != nullptr));
    window_->setObjectName(QStringLiteral("dialog-%1").arg(template_.id));
    window_->setFont(font_);
    window_->setWindowTitle(QString::fromStdString(template_.caption));
    const Rect size = DialogUnitsToPixels({0, 0, template_.size.width, template_.size.height});
    window_->setFixedSize(size.width, size.height);
    content_ = window_;
    if (!template_.child) BuildScrolledContent(QSize(size.width, size.height));
    // A panel covers what its parent shows beneath it.
    window_->setAutoFillBackground(template_.child);
    window_->hide();
    window_->SetActions({[this] { Deliver([](DialogHandler& handler) { handler.OnOk(); }); },
                         [this] { Deliver([](DialogHandler& handler) { handler.OnCancel(); }); },
                         [this] { Deliver([](DialogHandler& handler) { handler.OnClose(); }); }});
}

// A window keeps its layout at any scale; on a screen too small for it, the window is made smaller (see
// FitToScreen) and its content scrolls.
void QtDialog::BuildScrolledContent(QSize size) {
    auto* scroller = new QScrollArea(window_);
    scroller->setObjectName(QStringLiteral("scroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(false);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("content"));
    content_->setFixedSize(size);
    scroller->setWidget(content_);
    scroller_ = scroller;
    layout_ = new QVBoxLayout(window_);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(scroller);
}

void QtDialog::BuildControls() {
    for (const ControlTemplate& source : template_.controls) {
        controls_.push_back(qtback::MakeControl(source, content_, *this));
    }
}

template <class Call>
bool QtDialog::Deliver(Call&& call) {
    // The handler may destroy this dialog; nothing of it is touched once the call has returned.
    const std::shared_ptr<bool> alive = alive_;
    DialogHandler& handler = handler_;
    const DispatchScope scope;
    call(handler);
    return *alive;
}

void QtDialog::Report(const Notification& notification) {
    if (qtback::ProgramAtWork()) return;
    Deliver([&notification](DialogHandler& handler) { handler.OnNotify(notification); });
}

void QtDialog::Notify(int control, Event event, bool byProgram) {
    Notification notification;
    notification.control = control;
    notification.event = event;
    notification.byProgram = byProgram;
    Deliver([&notification](DialogHandler& handler) { handler.OnNotify(notification); });
}

void QtDialog::MenuItemChosen(int itemId) {
    // Held like every other input while the program is at work.
    if (qtback::ProgramAtWork()) return;
    Deliver([itemId](DialogHandler& handler) { handler.OnMenuItem(itemId); });
}

void QtDialog::Show(bool shown) {
    if (window_ == nullptr) return;
    const ProgramScope scope;
    if (shown && window_->isWindow() && !placed_) PlaceOnScreen();
    if (!shown) RememberPlace();
    window_->setVisible(shown);
}

void QtDialog::RememberPlace() const {
    if (window_->isWindow() && window_->isVisible()) qtback::RememberWindowPlace(template_.id, window_->pos());
}

bool QtDialog::IsShown() const { return window_ != nullptr && !window_->isHidden(); }

// A question (a dialog run modally, or shown as soon as it is made) over the middle of the window that asks it. Another
// window where it stood last time, when that is still on a screen; else the program's window in the middle of the
// screen, and a window of its own beside the window it belongs to, not over it. Always whole on the screen.
void QtDialog::PlaceOnScreen() {
    const QWidget* owner = window_->parentWidget() != nullptr ? window_->parentWidget()->window() : nullptr;
    const bool question = owner != nullptr && (modal_ != nullptr || template_.visible);
    const std::optional<QPoint> remembered = question ? std::nullopt : qtback::RememberedWindowPlace(template_.id);
    const QScreen* screen = remembered ? QGuiApplication::screenAt(*remembered) : nullptr;
    if (screen == nullptr) screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QMargins margins = qtback::FrameMarginsOf(*window_);
    FitToScreen(area.size().shrunkBy(margins));
    const QSize frame = window_->size().grownBy(margins);
    QPoint wanted = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    if (question) {
        wanted = owner->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2);
    } else if (remembered && QGuiApplication::screenAt(*remembered) != nullptr) {
        wanted = *remembered;
    } else if (owner != nullptr) {
        wanted = qtback::BesideOwner(owner->frameGeometry(), frame, area);
    }
    window_->move(qtback::KeepInside(wanted, frame, area));
    placed_ = true;
}

// A window cut in one direction gains that direction's scroll bar, which takes its room from the other. Its menu
// and status bars come on top of its content.
void QtDialog::FitToScreen(QSize room) {
    const Rect full = DialogUnitsToPixels({0, 0, template_.size.width, template_.size.height});
    const int bar = window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window_);
    int width = full.width;
    int height = full.height + (bars_ != nullptr ? bars_->Height() : 0);
    if (height > room.height()) width += bar;
    if (width > room.width()) height += bar;
    if (height > room.height() && width == full.width) width += bar;
    window_->setFixedSize(std::min(width, room.width()), std::min(height, room.height()));
}

// Bars added to a window make it taller, within the screen once it has been placed there, where it stays whole.
void QtDialog::Refit() {
    const QScreen* screen = window_->screen();
    if (!placed_ || screen == nullptr) return FitToScreen(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const QRect area = screen->availableGeometry();
    const QMargins margins = qtback::FrameMarginsOf(*window_);
    const QSize before = window_->size();
    FitToScreen(area.size().shrunkBy(margins));
    if (window_->size() == before || !window_->isWindow()) return;
    const ProgramScope scope;
    window_->move(qtback::KeepInside(window_->pos(), window_->size().grownBy(margins), area));
}

void QtDialog::MoveTo(Point pixels) {
    if (window_ == nullptr) return;
    const ProgramScope scope;
    window_->move(pixels.x, pixels.y);
    placed_ = true;
}

Rect QtDialog::Bounds() const {
    if (window_ == nullptr) return {};
    // A window's position is that of its frame on the screen, as MoveTo takes it; its size is its inside.
    return {window_->x(), window_->y(), window_->width(), window_->height()};
}

void QtDialog::SetCaption(const std::string& caption) {
    if (window_ != nullptr) window_->setWindowTitle(QString::fromStdString(caption));
}

void QtDialog::SetWindowIcon(int iconResource) {
    if (window_ != nullptr) window_->setWindowIcon(qtback::LoadIcon(iconResource));
}

void QtDialog::RepaintNow() {
    // Painting straight away, without an event loop: no timer and no input is dispatched meanwhile.
    if (window_ != nullptr && window_->isVisible()) window_->repaint();
}

void QtDialog::SetTimer(int timerId, unsigned milliseconds) {
    if (window_ == nullptr) return;
    QPointer<QTimer>& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer(window_);
        QObject::connect(timer, &QTimer::timeout, context_.get(), [this, timerId] { OnTimerTick(timerId); });
    }
    // Like a window timer: it repeats until killed, and starting it again restarts its period.
    timer->start(static_cast<int>(std::clamp<unsigned>(milliseconds, 1, INT_MAX)));
}

void QtDialog::OnTimerTick(int timerId) {
    if (!qtback::Waiting()) {
        Deliver([timerId](DialogHandler& handler) { handler.OnTimer(timerId); });
        return;
    }
    // A tick in the middle of the program's work waits for its end; one is enough however many fell due.
    if (!heldTimers_.insert(timerId).second) return;
    qtback::WhenWorkIsDone(context_.get(), [this, timerId] {
        heldTimers_.erase(timerId);
        const auto found = timers_.find(timerId);
        if (found != timers_.end() && found->second != nullptr && found->second->isActive()) {
            Deliver([timerId](DialogHandler& handler) { handler.OnTimer(timerId); });
        }
    });
}

void QtDialog::KillTimer(int timerId) {
    const auto found = timers_.find(timerId);
    if (found != timers_.end() && found->second != nullptr) found->second->stop();
}

QWidget* QtDialog::Widget() const { return window_; }

QWidget* QtDialog::ControlWidget(int control) const {
    const qtback::Control* found = Find(control, "ControlWidget");
    return found != nullptr ? found->Widget() : nullptr;
}

int QtDialog::RunModal() {
    if (modal_ != nullptr || window_ == nullptr) {
        qWarning("Kelvane dialog %d cannot run modally now", template_.id);
        return -1;
    }
    const auto run = std::make_shared<ModalRun>();
    run->result = std::exchange(earlyResult_, std::nullopt);
    modal_ = run;
    SetModal(true);
    if (!run->result) {
        QEventLoop loop;
        run->loop = &loop;
        loop.exec();
        run->loop = nullptr;
    }
    if (!run->dialogAlive) return run->result.value_or(-1);
    modal_.reset();
    SetModal(false);
    return run->result.value_or(-1);
}

void QtDialog::EndModal(int result) {
    if (modal_ == nullptr) {
        earlyResult_ = result;
        return;
    }
    modal_->result = result;
    if (modal_->loop != nullptr) modal_->loop->exit();
}

void QtDialog::SetModal(bool modal) {
    if (window_ == nullptr) return;
    const ProgramScope scope;
    if (!modal) RememberPlace();
    // A window's modality can only change while it is hidden.
    if (window_->isWindow()) {
        window_->hide();
        window_->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    }
    if (modal) {
        Show(true);
    } else {
        window_->hide();
    }
}

qtback::Control* QtDialog::Find(int control, const char* operation) const {
    if (window_ == nullptr) {
        qWarning("Kelvane dialog %d has lost its window (%s on control %d ignored)", template_.id, operation, control);
        return nullptr;
    }
    for (const auto& candidate : controls_) {
        if (candidate->Id() == control) return candidate.get();
    }
    qWarning("Kelvane dialog %d has no control %d (%s ignored)", template_.id, control, operation);
    return nullptr;
}

int QtDialog::ControlOf(QWidget* widget) const {
    // Inner widgets, such as a time picker's field or a combo box's drop-down, count as their control.
    for (QWidget* at = widget; at != nullptr && at != window_; at = at->parentWidget()) {
        for (const auto& control : controls_) {
            if (control->Widget() == at) return control->Id();
        }
    }
    return 0;
}

void QtDialog::OnFocusChanged(QWidget* from, QWidget* to) {
    if (qtback::ProgramAtWork()) return;
    const int lost = ControlOf(from);
    const int gained = ControlOf(to);
    if (lost == gained) return;
    const std::shared_ptr<bool> alive = alive_;
    if (lost != 0) Notify(lost, Event::FocusLost, false);
    if (*alive && gained != 0) Notify(gained, Event::FocusGained, false);
}

}  // namespace kelvane::ui
