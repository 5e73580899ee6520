#pragma once

// Ids of the program's dialogs, controls, bitmaps and icons. Controls are numbered per dialog.
namespace kelvane::res {

// Dialogs.
constexpr int kMainDialog = 102;
constexpr int kModulePanelDialog = 145;
constexpr int kInfoDialog = 160;
constexpr int kCamDialog = 161;
constexpr int kConfigSummaryDialog = 195;
constexpr int kHistoryDialog = 147;
constexpr int kTextWindowDialog = 148;
constexpr int kAboutDialog = 149;
constexpr int kConnectDialog = 150;

// Main window (102).
constexpr int kModuleList = 1021;
constexpr int kDiscoverButton = 1023;
constexpr int kSaveButton = 1024;
constexpr int kUploadButton = 1025;
constexpr int kBackgroundPicture = 1107;
constexpr int kMakerPicture = 1106;
constexpr int kBannerPicture = 1101;
constexpr int kSmallBannerPicture = 1102;

// Information pop-up (160).
constexpr int kInfoText = 1024;
constexpr int kInfoProgress = 1001;

// CAM menu (161).
constexpr int kCamList = 1020;
constexpr int kCamLampPicture = 1028;
constexpr int kCamAnswerEdit = 1035;

// Configuration summary (195).
constexpr int kSummaryOkButton = 1;
constexpr int kSummaryCancelButton = 2;
constexpr int kSummaryText = 1024;

// Signal history (147): a chart per input row, and one per output channel when the pair has an output.
constexpr int kInputChart[3] = {1001, 1002, 1003};
constexpr int kChannelChart[4] = {1011, 1012, 1013, 1014};

// A text window (148): the message log, the firmware report, the window's guide.
constexpr int kTextWindowText = 1001;

// About box (149).
constexpr int kAboutPicture = 1001;
constexpr int kAboutText = 1002;
constexpr int kAboutOkButton = 1;

// Rack > Connect to (150): "Search all", then the port table's entries with their last states.
constexpr int kConnectList = 1001;
constexpr int kConnectOkButton = 1;
constexpr int kConnectCancelButton = 2;

// Icons.
constexpr int kAppIcon = 127;
constexpr int kDiscoverIcon = 169;
constexpr int kSaveIcon = 192;
constexpr int kUploadIcon = 193;
constexpr int kHistoryIcon = 213;

// Bitmaps of the main window.
constexpr int kBackgroundBitmap = 204;
constexpr int kMakerBitmap = 196;
constexpr int kBannerBitmap = 192;
constexpr int kSmallBannerBitmap = 197;

// The module list's images, in image-list order: each role's normal image, then its highlighted one.
constexpr int kControllerBitmap = 150;
constexpr int kControllerLitBitmap = 162;
constexpr int kInputBitmap = 153;
constexpr int kInputLitBitmap = 164;
constexpr int kOutputBitmap = 143;
constexpr int kOutputLitBitmap = 163;
constexpr int kCommonInterfaceBitmap = 154;
constexpr int kCommonInterfaceLitBitmap = 165;
constexpr int kWideOutputBitmap = 209;
constexpr int kWideOutputLitBitmap = 208;
constexpr int kEmptySlotBitmap = 155;

// Lamps: red, amber, green.
constexpr int kRedLampBitmap = 187;
constexpr int kAmberLampBitmap = 188;
constexpr int kGreenLampBitmap = 190;

}  // namespace kelvane::res
