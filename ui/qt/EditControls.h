#pragma once

#include "ui/qt/Control.h"

class QLineEdit;
class QPlainTextEdit;

namespace kelvane::ui::qtback {

// A one-line entry field. Read-only fields take the window's ground, as dialog fields do.
class LineEditControl final : public Control {
public:
    LineEditControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;
    bool SetReadOnly(bool readOnly) override;
    bool SetTextLimit(int characters) override;
    bool SetPassword(bool hidden) override;

private:
    QPalette DefaultPalette() const override;

    QLineEdit* edit_;
};

// A multi-line entry field. The program's lines end with CR LF; the widget's with LF.
class TextEditControl final : public Control {
public:
    TextEditControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetText(const std::string& text) override;
    std::string Text() const override;
    bool SetReadOnly(bool readOnly) override;
    bool SetTextLimit(int characters) override;
    void SetFont(const QFont& font) override;

private:
    QPalette DefaultPalette() const override;
    void ApplyInteraction();
    void EnforceLimit();
    void ShowElided();

    QPlainTextEdit* edit_;
    int limit_ = 0;
    QString full_;  // the whole text of a field that shows its long lines elided
};

}  // namespace kelvane::ui::qtback
