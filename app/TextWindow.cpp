#include "app/TextWindow.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane {
namespace {

constexpr int kAboutDone = 1;

class AboutBox final : public ui::DialogHandler {
public:
    AboutBox(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption, const std::string& text)
        : windows_(windows), window_(windows.CreateDialog(res::AboutBoxTemplate(), *this, &owner)) {
        window_->SetCaption(caption);
        window_->SetText(res::kAboutText, text);
        window_->SetIcon(res::kAboutPicture, res::kAppIcon);
    }
    void Run() {
        window_->SetFocus(res::kAboutOkButton);
        windows_.RunModal(*window_);
    }
    void OnNotify(const ui::Notification& n) override {
        if (n.control == res::kAboutOkButton && n.event == ui::Event::Clicked) End();
    }
    void OnOk() override { End(); }
    void OnCancel() override { End(); }
    void OnClose() override { End(); }

private:
    void End() { windows_.EndModal(*window_, kAboutDone); }

    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
};

}  // namespace

void CTextWindow::Open(const std::string& caption, const std::string& text) {
    if (window_ == nullptr) window_ = windows_.CreateDialog(res::TextWindowTemplate(), *this, &owner_);
    window_->SetCaption(caption);
    window_->SetText(res::kTextWindowText, text);
    window_->Show(true);
}

void CTextWindow::Refresh(const std::string& text) {
    if (IsOpen()) window_->SetText(res::kTextWindowText, text);
}

void CTextWindow::OnCancel() { window_->Show(false); }

void CTextWindow::OnClose() { window_->Show(false); }

void ShowAboutBox(ui::WindowSystem& windows, ui::Dialog& owner, const std::string& caption, const std::string& text) {
    AboutBox(windows, owner, caption, text).Run();
}

}  // namespace kelvane
