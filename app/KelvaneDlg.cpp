#include "app/KelvaneDlg.h"

#include "app/MainMenu.h"
#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "link/Xmit.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane {
namespace {

constexpr unsigned kStartDelayMs = 10;
constexpr ui::Size kModuleImageSize{48, 48};
constexpr ui::Size kModuleIconSpacing{52, 20};

// Image-list positions of each role's normal image; the highlighted one follows it.
constexpr std::array<int, 9> kImageOfType{0, 2, 4, 6, 2, 4, 4, 2, 8};

const ui::ImageList& ModuleImages() {
    static const ui::ImageList images{
        kModuleImageSize,
        {res::kControllerBitmap, res::kControllerLitBitmap, res::kInputBitmap, res::kInputLitBitmap, res::kOutputBitmap,
         res::kOutputLitBitmap, res::kCommonInterfaceBitmap, res::kCommonInterfaceLitBitmap, res::kWideOutputBitmap,
         res::kWideOutputLitBitmap, res::kEmptySlotBitmap}};
    return images;
}

}  // namespace

CKelvaneDlg::CKelvaneDlg(ui::WindowSystem& windows, CXmit& link, std::string applicationDirectory,
                         std::unique_ptr<ModulePanel> modulePanel, std::unique_ptr<CamMenu> camMenu)
    : windows_(windows),
      link_(link),
      applicationDirectory_(std::move(applicationDirectory)),
      info_(windows),
      modulePanel_(std::move(modulePanel)),
      camMenu_(std::move(camMenu)) {}

CKelvaneDlg::~CKelvaneDlg() { link_.SetWaitHook(nullptr); }

void CKelvaneDlg::Create() {
    window_ = windows_.CreateDialog(res::MainDialogTemplate(), *this, nullptr);
    // The window keeps painting and hears its close box while the link waits on the rack.
    link_.SetWaitHook(&windows_.Waits());
    chosenEntry_ = ReadChosenRack(applicationDirectory_);
    InitDialog();
}

int CKelvaneDlg::RunModal() { return windows_.RunModal(*window_); }

void CKelvaneDlg::InitDialog() {
    window_->SetCaption(kProgramName);
    window_->SetWindowIcon(res::kAppIcon);
    InitBars();

    const PanelServices services{windows_,
                                 link_,
                                 info_,
                                 slots_,
                                 [this](const std::string& report) { status_.SetLastWrite(report); },
                                 [this] { OnCancel(); }};
    modulePanel_->Create(*window_, services);
    info_.Create(*window_);
    info_.InitInfoFont();
    camMenu_->Create(*window_, services);

    window_->SetIcon(res::kDiscoverButton, res::kDiscoverIcon);
    window_->SetIcon(res::kUploadButton, res::kUploadIcon);
    window_->SetIcon(res::kSaveButton, res::kSaveIcon);
    // The buttons show only pictures: their hints say what they do.
    window_->SetToolTip(res::kDiscoverButton, MessageText(kDiscoverTipMessage));
    window_->SetToolTip(res::kUploadButton, MessageText(kUploadTipMessage));
    window_->SetToolTip(res::kSaveButton, MessageText(kSaveTipMessage));
    InitModuleList();

    window_->SetTimer(kStartTimer, kStartDelayMs);
    window_->ShowControl(res::kMakerPicture, false);
}

void CKelvaneDlg::InitModuleList() {
    window_->SetImageList(res::kModuleList, ModuleImages());
    window_->SetIconSpacing(res::kModuleList, kModuleIconSpacing);
    for (int row = 0; row < kListRows; ++row) {
        window_->InsertRow(res::kModuleList, row);
        SetRow(row, "", kEmptyRowImage);
    }
}

int CKelvaneDlg::ImageOf(std::uint8_t type) const {
    // A code the rack does not define has no picture of its own: it shows as an empty slot.
    return type < kImageOfType.size() ? kImageOfType[type] : kEmptyRowImage;
}

void CKelvaneDlg::SetRow(int row, const std::string& label, int image) {
    window_->SetCell(res::kModuleList, row, 0, {label, image});
}

void CKelvaneDlg::SetRowImage(int row, int image) {
    if (row < 0 || row >= kListRows) return;
    ui::ListCell cell = window_->Cell(res::kModuleList, row, 0);
    cell.image = image;
    window_->SetCell(res::kModuleList, row, 0, cell);
}

void CKelvaneDlg::PlacePanel(ui::Dialog* panel) {
    if (panel != nullptr) {
        panel->MoveTo(kPanelOrigin);
        window_->ShowControl(res::kSmallBannerPicture, false);
        window_->ShowControl(res::kBannerPicture, false);
        window_->ShowControl(res::kBackgroundPicture, false);
    } else {
        window_->ShowControl(res::kBackgroundPicture, true);
    }
    info_.Window().MoveTo(kInfoOrigin);
    info_.Window().Show(panel != &modulePanel_->Window() && info_.HasSomethingToShow());
    window_->EnableMenuItem(kSignalHistoryItem, panel != nullptr && panel == &modulePanel_->Window());
}

void CKelvaneDlg::OnNotify(const ui::Notification& notification) {
    switch (notification.control) {
    case res::kDiscoverButton:
        if (notification.event == ui::Event::Clicked) DiscoverRack();
        break;
    case res::kSaveButton:
        if (notification.event == ui::Event::Clicked) SaveConfiguration();
        break;
    case res::kUploadButton:
        if (notification.event == ui::Event::Clicked) UploadConfiguration();
        break;
    case res::kModuleList:
        if (notification.event == ui::Event::Clicked) {
            // No row stays selected: the rows of the panel on show are marked by their images instead.
            if (notification.row >= 0) window_->SetRowSelected(res::kModuleList, notification.row, false);
            SelectSlot(notification.row);
        } else if (notification.event == ui::Event::RowStateChanged && notification.row >= 0) {
            window_->SetRowSelected(res::kModuleList, notification.row, false);
        }
        break;
    default: break;
    }
}

void CKelvaneDlg::OnTimer(int timerId) {
    if (timerId == kStartTimer) {
        window_->KillTimer(kStartTimer);
        firmware_.ScanFirmwareFiles(applicationDirectory_);
        DiscoverRack();
    } else if (timerId == kSupervisionTimer) {
        SupervisionTick();
    } else if (timerId == kRelinkTimer) {
        window_->KillTimer(kRelinkTimer);
        DiscoverRack();
    }
}

// Escape closes the panel on show and leaves the keyboard on the module list, to choose another.
void CKelvaneDlg::OnCancel() {
    if (currentSlot_ == kNoSlot) return;
    SelectSlot(kNoSlot);
    window_->SetFocus(res::kModuleList);
}

void CKelvaneDlg::OnClose() {
    SelectSlot(kNoSlot);
    window_->KillTimer(kSupervisionTimer);
    window_->KillTimer(kStartTimer);
    window_->KillTimer(kRelinkTimer);
    windows_.EndModal(*window_, 0);
}

}  // namespace kelvane
