#pragma once

#include "ui/qt/Control.h"
#include "ui/qt/MouseClicks.h"

class QGroupBox;
class QLabel;

namespace kelvane::ui::qtback {

// A caption. With kNotify it reports clicks.
class LabelControl final : public Control {
public:
    LabelControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;

private:
    QLabel* label_;
    std::unique_ptr<MouseClicks> clicks_;
};

// A bitmap or an icon from the artwork, drawn to fit the control. With kNotify it reports clicks.
class PictureControl final : public Control {
public:
    PictureControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    bool SetBitmap(int bitmapResource) override;
    bool SetIcon(int iconResource) override;

private:
    QLabel* label_;
    std::unique_ptr<MouseClicks> clicks_;
};

// A frame with a title around other controls; clicks pass through it to them.
class GroupBoxControl final : public Control {
public:
    GroupBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;

private:
    QGroupBox* box_;
};

// A sunken separator line, across or down by its shape.
class EtchedLineControl final : public Control {
public:
    EtchedLineControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
};

}  // namespace kelvane::ui::qtback
