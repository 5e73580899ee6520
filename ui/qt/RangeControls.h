#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"

class QProgressBar;
class QSlider;

namespace kelvane::ui::qtback {

// A progress bar without a percentage written on it.
class ProgressControl final : public Control, public RangeControl {
public:
    ProgressControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetRange(int minimum, int maximum) override;
    void SetPosition(int position) override;
    int Position() const override;
    void SetTickFrequency(int every) override;

private:
    QProgressBar* bar_;
};

// A horizontal track bar with ticks under it. It reports positions while its thumb is dragged, and the final
// position when a drag ends or a key or a click on its track moves it.
class SliderControl final : public Control, public RangeControl {
public:
    SliderControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetRange(int minimum, int maximum) override;
    void SetPosition(int position) override;
    int Position() const override;
    void SetTickFrequency(int every) override;

private:
    QSlider* slider_;
};

}  // namespace kelvane::ui::qtback
