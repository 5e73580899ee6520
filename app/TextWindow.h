#pragma once

#include "ui/WindowSystem.h"

#include <memory>
#include <string>

namespace kelvane {

// A window of its own over the main window that shows a text to read, select and copy (the message log, the
// firmware report, the window's guide). It is made the first time it opens, hides on its close box or Escape,
// and keeps its place when opened again.
class CTextWindow final : public ui::DialogHandler {
public:
    CTextWindow(ui::WindowSystem& windows, ui::Dialog& owner) : windows_(windows), owner_(owner) {}

    void Open(const std::string& caption, const std::string& text);
    // A new text while the window is open; nothing while it is closed.
    void Refresh(const std::string& text);
    bool IsOpen() const { return window_ != nullptr && window_->IsShown(); }
    // Null until the window first opened.
    ui::Dialog* Window() const { return window_.get(); }

    void OnCancel() override;
    void OnClose() override;

private:
    ui::WindowSystem& windows_;
    ui::Dialog& owner_;
    std::unique_ptr<ui::Dialog> window_;
};

// The About box, modal over `owner`, until its OK, Escape or close box.
void ShowAboutBox(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption, const std::string& text);

}  // namespace kelvane
