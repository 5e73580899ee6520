#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"

class QCheckBox;
class QPushButton;

namespace kelvane::ui::qtback {

// A push button, with a caption or a picture sized to fit it.
class PushButtonControl final : public Control {
public:
    PushButtonControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;
    bool SetBitmap(int bitmapResource) override;
    bool SetIcon(int iconResource) override;

private:
    QSize PictureSize() const;

    QPushButton* button_;
};

class CheckBoxControl final : public Control, public CheckControl {
public:
    CheckBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetChecked(bool checked) override;
    bool IsChecked() const override;

private:
    QCheckBox* box_;
};

}  // namespace kelvane::ui::qtback
