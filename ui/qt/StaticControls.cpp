#include "ui/qt/StaticControls.h"

#include "ui/qt/Artwork.h"

#include <QGroupBox>
#include <QLabel>

namespace kelvane::ui::qtback {
namespace {

Qt::Alignment TextAlignment(std::uint32_t style) {
    // Captions hug the top of their box, as dialog captions do.
    if ((style & kCentered) != 0) return Qt::AlignTop | Qt::AlignHCenter;
    if ((style & kRightAligned) != 0) return Qt::AlignTop | Qt::AlignRight;
    return Qt::AlignTop | Qt::AlignLeft;
}

std::unique_ptr<MouseClicks> ClicksIfNotifying(const ControlTemplate& source, QWidget& widget,
                                               std::function<void(Event)> report) {
    if ((source.style & kNotify) == 0) return nullptr;
    return std::make_unique<MouseClicks>(widget, MouseClicks::NoHit,
                                         [report = std::move(report)](Event event, int, int) { report(event); });
}

}  // namespace

LabelControl::LabelControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QLabel(parent), sink), label_(static_cast<QLabel*>(Widget())) {
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(TextAlignment(source.style));
    if (HasStyle(kBorder)) label_->setFrameStyle(QFrame::Box | QFrame::Plain);
    label_->setText(QString::fromStdString(source.caption));
    clicks_ = ClicksIfNotifying(source, *label_, [this](Event event) { Report(event); });
}

void LabelControl::SetText(const std::string& text) { label_->setText(QString::fromStdString(text)); }

std::string LabelControl::Text() const { return label_->text().toStdString(); }

PictureControl::PictureControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QLabel(parent), sink), label_(static_cast<QLabel*>(Widget())) {
    label_->setAlignment(Qt::AlignCenter);
    if (source.resource != 0) SetBitmap(source.resource);
    clicks_ = ClicksIfNotifying(source, *label_, [this](Event event) { Report(event); });
}

bool PictureControl::SetBitmap(int bitmapResource) {
    label_->setPixmap(RenderBitmap(bitmapResource, label_->size()));
    return true;
}

bool PictureControl::SetIcon(int iconResource) {
    label_->setPixmap(RenderIcon(iconResource, label_->size()));
    return true;
}

GroupBoxControl::GroupBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QGroupBox(parent), sink), box_(static_cast<QGroupBox*>(Widget())) {
    box_->setTitle(QString::fromStdString(source.caption));
    box_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GroupBoxControl::SetText(const std::string& text) { box_->setTitle(QString::fromStdString(text)); }

std::string GroupBoxControl::Text() const { return box_->title().toStdString(); }

EtchedLineControl::EtchedLineControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QFrame(parent), sink) {
    auto* line = static_cast<QFrame*>(Widget());
    line->setFrameShape(source.rect.width >= source.rect.height ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
}

}  // namespace kelvane::ui::qtback
