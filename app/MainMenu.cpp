// The main window's menu bar, and what each of its items does.

#include "app/MainMenu.h"

#include "KelvaneVersion.h"
#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "app/WindowTexts.h"
#include "res/ResourceIds.h"

namespace kelvane {
namespace {

ui::MenuItem Item(int id, int text, const char* shortcut = "", bool separatorBefore = false) {
    return {id, MessageText(text), shortcut, separatorBefore};
}

}  // namespace

ui::MenuBar MainMenuBar() {
    return {
        {MessageText(kFileMenuText),
         {Item(kSaveConfigItem, kSaveConfigItemText, "Ctrl+S"),
          Item(kUploadConfigItem, kUploadConfigItemText, "Ctrl+O"), Item(kQuitItem, kQuitItemText, "Ctrl+Q", true)}},
        {MessageText(kRackMenuText),
         {Item(kSearchAgainItem, kSearchAgainItemText, "F5"), Item(kConnectToItem, kConnectToItemText),
          Item(kFirmwareFilesItem, kFirmwareFilesItemText, "", true)}},
        {MessageText(kViewMenuText),
         {Item(kMessagesItem, kMessagesItemText), Item(kSignalHistoryItem, kSignalHistoryItemText)}},
        {MessageText(kHelpMenuText),
         {Item(kWindowGuideItem, kWindowGuideItemText, "F1"), Item(kAboutItem, kAboutItemText, "", true)}},
    };
}

std::vector<int> MenuItemsOfButton(int button) {
    switch (button) {
    case res::kDiscoverButton: return {kSearchAgainItem, kConnectToItem};
    case res::kSaveButton: return {kSaveConfigItem};
    case res::kUploadButton: return {kUploadConfigItem};
    default: return {};
    }
}

std::string AsTitle(const std::string& itemText) {
    std::string title;
    for (const char c : itemText) {
        if (c != '&') title += c;
    }
    const std::string ellipsis = "...";
    if (title.ends_with(ellipsis)) title.resize(title.size() - ellipsis.size());
    return title;
}

// One home for the state of the work the buttons start: the button and its menu items change together.
void CKelvaneDlg::EnableCommand(int button, bool enabled) {
    window_->EnableControl(button, enabled);
    for (const int item : MenuItemsOfButton(button)) window_->EnableMenuItem(item, enabled);
}

void CKelvaneDlg::OnMenuItem(int itemId) {
    switch (itemId) {
    case kSaveConfigItem: return SaveConfiguration();
    case kUploadConfigItem: return UploadConfiguration();
    case kQuitItem: return OnClose();
    case kSearchAgainItem: return DiscoverRack();
    case kConnectToItem: return ConnectTo();
    case kFirmwareFilesItem:
        return reportWindow_->Open(AsTitle(MessageText(kFirmwareFilesItemText)),
                                   FirmwareReportText(firmware_.Scan(), std::filesystem::path(applicationDirectory_) /
                                                                            "firmware" / kFirmwareListName));
    case kMessagesItem: return logWindow_->Open(AsTitle(MessageText(kMessagesItemText)), log_.Text());
    case kSignalHistoryItem: return modulePanel_->OpenHistory();
    case kWindowGuideItem:
        return guideWindow_->Open(AsTitle(MessageText(kWindowGuideItemText)), WindowGuideText(guideFiles_));
    case kAboutItem: return ShowAbout();
    default: return;
    }
}

// Before the panels are made, so that they lie between the bars.
void CKelvaneDlg::InitBars() {
    window_->SetMenuBar(MainMenuBar());
    window_->EnableMenuItem(kSignalHistoryItem, false);
    status_.Attach(*window_);
    logWindow_ = std::make_unique<CTextWindow>(windows_, *window_);
    reportWindow_ = std::make_unique<CTextWindow>(windows_, *window_);
    guideWindow_ = std::make_unique<CTextWindow>(windows_, *window_);
    info_.SetListener([this](const std::string& text) {
        // A search that fails again every second only counts in the log: an open log window keeps what the
        // operator is selecting in it.
        if (log_.Add(text, windows_.GetClock().SystemSeconds())) logWindow_->Refresh(log_.Text());
    });
}

void CKelvaneDlg::ShowAbout() {
    const std::string text =
        FormatText(MessageText(kAboutText), {kKelvaneVersion, windows_.ToolkitVersion(), applicationDirectory_});
    ShowAboutBox(windows_, *window_, AsTitle(MessageText(kAboutItemText)), text);
}

}  // namespace kelvane
