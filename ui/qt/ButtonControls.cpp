#include "ui/qt/ButtonControls.h"

#include "ui/qt/Artwork.h"

#include <QCheckBox>
#include <QPushButton>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

constexpr int kPictureMargin = 4;  // between a button's picture and its edge, on every side

}  // namespace

PushButtonControl::PushButtonControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QPushButton(parent), sink), button_(static_cast<QPushButton*>(Widget())) {
    button_->setText(QString::fromStdString(source.caption));
    // Enter belongs to the dialog, never to the button that happens to have the focus.
    button_->setAutoDefault(false);
    if (source.resource != 0) SetIcon(source.resource);
    QObject::connect(button_, &QPushButton::clicked, Context(), [this] { Report(Event::Clicked); });
}

void PushButtonControl::SetText(const std::string& text) { button_->setText(QString::fromStdString(text)); }

std::string PushButtonControl::Text() const { return button_->text().toStdString(); }

bool PushButtonControl::SetBitmap(int bitmapResource) {
    button_->setIcon(QIcon(RenderBitmap(bitmapResource, PictureSize())));
    button_->setIconSize(PictureSize());
    return true;
}

bool PushButtonControl::SetIcon(int iconResource) {
    button_->setIcon(QIcon(RenderIcon(iconResource, PictureSize())));
    button_->setIconSize(PictureSize());
    return true;
}

QSize PushButtonControl::PictureSize() const {
    const int side = std::max(1, std::min(button_->width(), button_->height()) - 2 * kPictureMargin);
    return QSize(side, side);
}

CheckBoxControl::CheckBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QCheckBox(parent), sink), box_(static_cast<QCheckBox*>(Widget())) {
    box_->setText(QString::fromStdString(source.caption));
    QObject::connect(box_, &QCheckBox::clicked, Context(), [this] { Report(Event::Clicked); });
}

void CheckBoxControl::SetText(const std::string& text) { box_->setText(QString::fromStdString(text)); }

std::string CheckBoxControl::Text() const { return box_->text().toStdString(); }

void CheckBoxControl::SetChecked(bool checked) { box_->setChecked(checked); }

bool CheckBoxControl::IsChecked() const { return box_->isChecked(); }

}  // namespace kelvane::ui::qtback
