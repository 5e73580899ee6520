#pragma once

#include "ui/Dialog.h"

#include <functional>

namespace kelvane::ui {

// A cell editor with no window: text and bounds only, and a character width fixed for tests.
class HeadlessCellEditor final : public CellEditor {
public:
    static constexpr int kCharacterWidth = 7;

    HeadlessCellEditor(const Rect& bounds, int listWidth, CellEditorEvents& events, std::function<void()> onGone)
        : bounds_(bounds), listWidth_(listWidth), events_(events), onGone_(std::move(onGone)) {}
    ~HeadlessCellEditor() override { onGone_(); }

    void SetText(const std::string& text) override { text_ = text; }
    std::string Text() const override { return text_; }
    void SelectAll() override { selectedAll_ = true; }
    void Focus() override { focused_ = true; }
    Rect Bounds() const override { return bounds_; }
    void SetBounds(const Rect& bounds) override { bounds_ = bounds; }
    int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()) * kCharacterWidth; }
    int ListClientWidth() const override { return listWidth_; }

    bool SelectedAll() const { return selectedAll_; }
    bool Focused() const { return focused_; }
    CellEditorEvents& Events() { return events_; }

    // The operator typing: the text changes, then the editor reports it.
    void Type(const std::string& text) {
        text_ = text;
        selectedAll_ = false;
        events_.OnEditorTextEdited();
    }

private:
    Rect bounds_;
    int listWidth_;
    CellEditorEvents& events_;
    std::function<void()> onGone_;
    std::string text_;
    bool selectedAll_ = false;
    bool focused_ = false;
};

}  // namespace kelvane::ui
