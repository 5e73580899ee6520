#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kelvane::ui::qtback {

// A frame around the control that has the keyboard focus in one of the program's windows, so that the operator
// sees where the keys go, whatever the style draws of its own (Fusion shows next to nothing around an icon
// button or a list). It follows the control as it moves, and goes when the focus leaves the program's controls.
class FocusFrame final : public QObject {
public:
    FocusFrame();
    ~FocusFrame() override;
    FocusFrame(const FocusFrame&) = delete;
    FocusFrame& operator=(const FocusFrame&) = delete;

    // The control the frame is drawn around, or null.
    QWidget* Framed() const { return control_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(QWidget* focused);
    void Place();

    QPointer<QWidget> control_;
    QPointer<QWidget> frame_;
};

}  // namespace kelvane::ui::qtback
