#include "ui/qt/RangeControls.h"

#include <QProgressBar>
#include <QSlider>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

constexpr int kDefaultMaximum = 100;
constexpr int kPagesPerRange = 5;  // a click on the track moves a fifth of the range

}  // namespace

ProgressControl::ProgressControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QProgressBar(parent), sink), bar_(static_cast<QProgressBar*>(Widget())) {
    bar_->setTextVisible(false);
    bar_->setRange(0, kDefaultMaximum);
    bar_->setValue(0);
}

void ProgressControl::SetRange(int minimum, int maximum) {
    // An empty range would make the bar an endless busy indicator; it stays an empty bar instead.
    bar_->setRange(minimum, std::max(maximum, minimum + 1));
    bar_->setValue(std::clamp(bar_->value(), bar_->minimum(), bar_->maximum()));
}

void ProgressControl::SetPosition(int position) {
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
}

int ProgressControl::Position() const { return bar_->value(); }

void ProgressControl::SetTickFrequency(int /*every*/) {
    // A progress bar has no ticks.
}

SliderControl::SliderControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QSlider(Qt::Horizontal, parent), sink), slider_(static_cast<QSlider*>(Widget())) {
    slider_->setTickPosition(QSlider::TicksBelow);
    SetRange(0, kDefaultMaximum);
    SetTickFrequency(1);
    QObject::connect(slider_, &QSlider::valueChanged, Context(),
                     [this] { Report(slider_->isSliderDown() ? Event::SliderMoved : Event::SliderReleased); });
    QObject::connect(slider_, &QSlider::sliderReleased, Context(), [this] { Report(Event::SliderReleased); });
}

void SliderControl::SetRange(int minimum, int maximum) {
    slider_->setRange(minimum, std::max(minimum, maximum));
    slider_->setPageStep(std::max(1, (slider_->maximum() - slider_->minimum()) / kPagesPerRange));
}

void SliderControl::SetPosition(int position) { slider_->setValue(position); }

int SliderControl::Position() const { return slider_->value(); }

void SliderControl::SetTickFrequency(int every) { slider_->setTickInterval(std::max(1, every)); }

}  // namespace kelvane::ui::qtback
