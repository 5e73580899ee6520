#pragma once

#include "ui/Dialog.h"

#include <QFont>
#include <QObject>
#include <QPalette>
#include <memory>
#include <string>

class QWidget;

namespace kelvane::ui::qtback {

// Where a control's operator actions go: its dialog.
class ControlSink {
public:
    virtual void Report(const Notification& notification) = 0;

protected:
    ~ControlSink() = default;
};

// One control of a dialog: the widget built from its template and what any control can be asked. What only
// some kinds can do is in Capabilities.h. The widget belongs to the dialog's window; the control may die first.
class Control {
public:
    // The property that marks a control's widget, for what looks at widgets from outside (the focus frame).
    static constexpr const char* kMarker = "kelvaneControl";

    Control(const ControlTemplate& source, QWidget* widget, ControlSink& sink);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    int Id() const { return source_.id; }
    const ControlTemplate& Source() const { return source_; }
    QWidget* Widget() const { return widget_; }

    virtual void SetText(const std::string& text) { text_ = text; }
    virtual std::string Text() const { return text_; }
    virtual void SetFont(const QFont& font);
    void SetColors(const ControlColors& colors);

    // Each returns false when this kind of control has no such property.
    virtual bool SetReadOnly(bool /*readOnly*/) { return false; }
    virtual bool SetBitmap(int /*bitmapResource*/) { return false; }
    virtual bool SetIcon(int /*iconResource*/) { return false; }
    virtual bool SetTextLimit(int /*characters*/) { return false; }
    virtual bool SetPassword(bool /*hidden*/) { return false; }

protected:
    bool HasStyle(std::uint32_t style) const { return (source_.style & style) != 0; }
    void Report(Event event, int row = -1, int column = -1) const;
    // The context of every connection the control makes: they end with it, even when its widget lives on.
    QObject* Context() const { return context_.get(); }
    void RefreshColors();
    virtual QPalette DefaultPalette() const;

private:
    ControlTemplate source_;
    QWidget* widget_;
    ControlSink& sink_;
    std::unique_ptr<QObject> context_;
    std::string text_;
    ControlColors colors_;
    bool colored_ = false;
};

}  // namespace kelvane::ui::qtback
