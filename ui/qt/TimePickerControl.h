#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"

class QTimeEdit;

namespace kelvane::ui::qtback {

// A time of day in hours and minutes, 24-hour clock.
class TimePickerControl final : public Control, public TimeControl {
public:
    TimePickerControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    std::string Text() const override;
    void SetTimeOfDay(int minutes) override;
    int TimeOfDay() const override;

private:
    QTimeEdit* edit_;
};

}  // namespace kelvane::ui::qtback
