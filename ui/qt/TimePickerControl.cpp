#include "ui/qt/TimePickerControl.h"

#include <QTimeEdit>

namespace kelvane::ui::qtback {
namespace {

constexpr int kMinutesPerHour = 60;
constexpr int kMinutesPerDay = 24 * kMinutesPerHour;

}  // namespace

TimePickerControl::TimePickerControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QTimeEdit(parent), sink), edit_(static_cast<QTimeEdit*>(Widget())) {
    edit_->setDisplayFormat(QStringLiteral("HH:mm"));
    edit_->setTime(QTime(0, 0));
    QObject::connect(edit_, &QTimeEdit::timeChanged, Context(), [this] { Report(Event::TimeChanged); });
}

std::string TimePickerControl::Text() const { return edit_->text().toStdString(); }

void TimePickerControl::SetTimeOfDay(int minutes) {
    const int inDay = ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
    edit_->setTime(QTime(inDay / kMinutesPerHour, inDay % kMinutesPerHour));
}

int TimePickerControl::TimeOfDay() const { return edit_->time().hour() * kMinutesPerHour + edit_->time().minute(); }

}  // namespace kelvane::ui::qtback
