#pragma once

// The catalogue's messages by name. The numbers are the catalogue's own and never change: a message is cited by
// its number and English text. Sentences end in Message, the labels of controls and the words put into other
// texts in Text, the lines of a configuration summary in Line.
namespace kelvane {

// Output images.
constexpr int kNoNameText = 0;  // "NoName"

// The module panel's messages.
constexpr int kSatStreamIdMessage = 1;  // "Sat. Transport Stream ID. : %d"
constexpr int kWaitingLockMessage = 2;  // "Waiting multiplex lock..."
constexpr int kPreparingListMessage = 3;  // "Preparing list..."
constexpr int kDoubleClickToChangeMessage = 4;  // "DoubleClick on list to change settings"

// The configuration summary.
constexpr int kConfigMatchesMessage = 5;  // "Loaded configuration matches current installation."
constexpr int kConfigDoesNotMatchMessage = 6;  // "LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !"
constexpr int kShortDescriptionText = 7;  // "Short Description :"
constexpr int kBisFrequencyLine = 8;  // "  B.I.S. Frequency : %dMHz"
constexpr int kSymbolRateLine = 9;  // "  Symbol rate : %d"
constexpr int kBandLine = 10;  // "  Band : %s"
constexpr int kPolarityLine = 11;  // "  Polarity : %s"
constexpr int kHighText = 12;  // "High"
constexpr int kLowText = 13;  // "Low"
constexpr int kVerticalText = 14;  // "Vertical"
constexpr int kHorizontalText = 15;  // "Horizontal"
constexpr int kDecryptionOnLine = 16;  // "  Decryption on service(s) :"
constexpr int kActivationOfLine = 17;  // "  Activation(Decryption) of service(s) :"
constexpr int kMoviesPlayedLine = 18;  // "Movie(s) played on service %d :"
constexpr int kFrequencyLine = 19;  // "  Frequency : %dMHz ("
constexpr int kGuardIntervalText = 20;  // "Guard Int. "
constexpr int kNoConfigurationLine = 21;  // "  No configuration required"

// Firmware updates.
constexpr int kUpdatingModuleMessage = 22;  // "Updating module %d (%s) to release V%d.%d"
constexpr int kPreparingMessage = 23;  // "Preparing..."
constexpr int kSendingMessage = 24;  // "Sending..."
constexpr int kWritingMessage = 25;  // "Writing, WAIT AND DO NOT POWER OFF KXRRACK..."
constexpr int kErrorMessage = 26;  // "ERROR !"

// Discovery and the main window.
constexpr int kSearchingMessage = 27;  // "Searching..."
constexpr int kFoundMessage = 28;  // "Found. Getting configuration..."
constexpr int kRebootMessage = 29;  // "Hardware updated - Reboot required - Wait..."
constexpr int kNotFoundMessage = 30;  // "Hardware not found..."
constexpr int kInactiveModuleMessage = 31;  // "Inactive module detected..."
constexpr int kNoFirmwareMessage = 32;  // "Firmware files not found..."
constexpr int kNeedsInputAndOutputMessage = 33;  // "Configuration require input and output modules."

// Configuration files.
constexpr int kSaveTitleMessage = 34;  // "Select name to save hardware configuration"
constexpr int kUploadTitleMessage = 35;  // "Select Configuration file to upload in hardware"
constexpr int kSavedMessage = 36;  // "Configuration saved into "
constexpr int kCannotCreateFileMessage = 37;  // "ERROR : CAN NOT CREATE FILE !"
constexpr int kUploadedMessage = 38;  // "Configuration uploaded to hardware."
constexpr int kCannotOpenFileMessage = 39;  // "ERROR : CAN NOT OPEN FILE !"

// The CAM menu and the service list.
constexpr int kConnectingMessage = 40;  // "Connecting to common interface"
constexpr int kCamInitingMessage = 41;  // "CAM initing. Wait..."
constexpr int kAskMainMenuMessage = 42;  // "Ask for main menu"
constexpr int kSelectMenuMessage = 43;  // "Select menu %d"
constexpr int kAnswerMessage = 44;  // "Answer : "
constexpr int kMenuHintMessage = 45;  // "Doubleclick on list to select or Escape for previous menu"
constexpr int kQuestionHintMessage = 46;  // "Enter value and press OK or CANCEL"
constexpr int kTagNotTreatedMessage = 47;  // "TAG %06X not treated"
constexpr int kNotIdentifiedMessage = 48;  // "Not identified service !"

// Labels of the module panel and the summary dialog.
constexpr int kPolarityText = 49;  // "Polarity :"
constexpr int kFecText = 50;  // "F.E.C. :"
constexpr int kConfigurationText = 51;  // "CONFIGURATION"
constexpr int kHdLcnText = 52;  // "HD LCN"
constexpr int kSidText = 53;  // "S.I.D."
constexpr int kServiceNameText = 54;  // "Service name"
constexpr int kUncryptText = 55;  // "UNCRYPT"
constexpr int kModulationText = 56;  // "MODULATION"
constexpr int kLcnText = 57;  // "LCN"
constexpr int kBandwidthText = 58;  // "Bandwidth :"
constexpr int kGuardIntervalFieldText = 59;  // "Guard Int. :"
constexpr int kNetworkIdText = 60;  // "Net. Id. :"
constexpr int kStreamIdText = 61;  // "T.S. Id. :"
constexpr int kNetworkNameText = 62;  // "Network name :"
constexpr int kRemoveCatEmmText = 63;  // "Remove CAT/EMM"
constexpr int kLevelAttenuationText = 64;  // "Level Att."
constexpr int kBandwidth1Text = 65;  // "B.W. 1"
constexpr int kBandwidth2Text = 66;  // "B.W. 2"
constexpr int kBandwidth3Text = 67;  // "B.W. 3"
constexpr int kBandwidth4Text = 68;  // "B.W. 4"
constexpr int kLevelText = 69;  // "Level"
constexpr int kSnrText = 70;  // "S.N.R."
constexpr int kRateText = 71;  // "Rate :"
constexpr int kNameText = 72;  // "Name :"
constexpr int kSidFieldText = 73;  // "S.I.D. :"
constexpr int kConstellationText = 74;  // "Const. :"
constexpr int kActivationText = 75;  // "ACTIVATION"
constexpr int kFrequencyKhzText = 76;  // "Freq. (kHz) :"
constexpr int kChannelText = 77;  // "Channel :"

// The CAM menu.
constexpr int kCamSendRefusedMessage = 78;
constexpr int kCamAnswerReplacedMessage = 79;

// Module panel: a change that could not be written, with its reasons; an LCN out of range.
constexpr int kChangeNotWrittenMessage = 80;
constexpr int kImageTooLongReason = 81;
constexpr int kImageUnreadReason = 82;
constexpr int kNamesUnreadReason = 83;
constexpr int kLcnOutOfRangeMessage = 84;

// The serial link and its ports.
constexpr int kPortBusyMessage = 85;

// Firmware files.
constexpr int kFirmwareChangedMessage = 86;
constexpr int kFirmwareTooLargeMessage = 87;

// Configuration files: why a save was refused, shown after message 37.
constexpr int kFileWriteProtectedMessage = 88;
constexpr int kFolderWriteProtectedMessage = 89;
constexpr int kNotAFileMessage = 90;

// The windows: configuration files, the main window's buttons, the close box and the lost link.
constexpr int kTruncatedFileMessage = 91;
constexpr int kRecordTooLongMessage = 92;
constexpr int kTooManyRecordsMessage = 93;
constexpr int kDiscoverTipMessage = 94;
constexpr int kUploadTipMessage = 95;
constexpr int kSaveTipMessage = 96;
constexpr int kCloseDuringFirmwareMessage = 97;
constexpr int kLinkLostSearchingMessage = 98;

// Racks at other sites: the port-table entry the rack answered on.
constexpr int kRackFoundOnMessage = 99;

// The CAM menu: a CAM packet longer than the receive buffer, dropped.
constexpr int kCamPacketTooLongMessage = 100;

// The signal history: the panel's button, the window's caption, its charts and their legends.
constexpr int kHistoryTipMessage = 101;
constexpr int kHistoryTitleMessage = 102;
constexpr int kHistoryInputMessage = 103;
constexpr int kHistoryChannelMessage = 104;
constexpr int kHistoryRateMessage = 105;
constexpr int kHistoryCapacityMessage = 106;
constexpr int kHistoryLockLostMessage = 107;
constexpr int kHistoryNoDataMessage = 108;
constexpr int kHistoryTimeAxisMessage = 109;

// The module panel: a refused number, and what a change sent or failed to send.
constexpr int kFieldOutOfRangeMessage = 110;
constexpr int kSentToMessage = 111;
constexpr int kModuleInRowText = 112;
constexpr int kNotAllSentMessage = 113;
constexpr int kCancelText = 114;

// Firmware: a module that, after the rack's restart, runs another version than the image it accepted.
constexpr int kVersionNotTakenMessage = 115;

// The configuration summary's own words.
constexpr int kSummarySlotText = 116;
constexpr int kSummaryAttenuationText = 117;
constexpr int kSummaryServicesText = 118;

// The rack search: why each port gave no rack, and what the window says while it keeps looking.
constexpr int kPortMissingMessage = 119;
constexpr int kPortNotPermittedMessage = 120;
constexpr int kPortLockedMessage = 121;
constexpr int kPortNotSerialMessage = 122;
constexpr int kPortBadEntryMessage = 123;
constexpr int kPortRefusedMessage = 124;
constexpr int kPortUnknownHostMessage = 125;
constexpr int kPortTimedOutMessage = 126;
constexpr int kPortUnreachableMessage = 127;
constexpr int kPortSettingsRefusedMessage = 128;
constexpr int kPortServerInUseMessage = 129;
constexpr int kPortServerClosedMessage = 130;
constexpr int kPortNoAnswerMessage = 131;
constexpr int kPortErrorMessage = 132;
constexpr int kNoPortToSearchMessage = 133;
constexpr int kMorePortsMessage = 134;
constexpr int kNoRackLastingMessage = 135;

// The main window's title with the rack it talks to.
constexpr int kTitleWithRackText = 136;

// The service list: what its pictures mean.
constexpr int kTelevisionTip = 137;
constexpr int kRadioTip = 138;
constexpr int kScrambledTip = 139;
constexpr int kFreeToAirTip = 140;
constexpr int kCamChosenTip = 141;
constexpr int kCamNotChosenTip = 142;
constexpr int kOnChannelTip = 143;
constexpr int kNotOnChannelTip = 144;

// The main window's menu bar: menus and items ('&' marks the key that opens each from the keyboard).
constexpr int kFileMenuText = 145;
constexpr int kSaveConfigItemText = 146;
constexpr int kUploadConfigItemText = 147;
constexpr int kQuitItemText = 148;
constexpr int kRackMenuText = 149;
constexpr int kSearchAgainItemText = 150;
constexpr int kFirmwareFilesItemText = 151;
constexpr int kConnectToItemText = 152;
constexpr int kViewMenuText = 153;
constexpr int kMessagesItemText = 154;
constexpr int kSignalHistoryItemText = 155;
constexpr int kHelpMenuText = 156;
constexpr int kWindowGuideItemText = 157;
constexpr int kAboutItemText = 158;

// The About box: version, licence, the toolkit and the folder the window works in.
constexpr int kAboutText = 159;

// The status bar: the link's state, and how many modules the rack has.
constexpr int kStatusSearchingText = 160;
constexpr int kStatusConnectedText = 161;
constexpr int kStatusNoRackText = 162;
constexpr int kStatusLinkLostText = 163;
constexpr int kStatusModulesText = 164;

// The message log: what was dropped from its start, to stay within its bound.
constexpr int kLogDroppedText = 165;
constexpr int kLogRepeatedText = 166;

// Rack > Firmware files: the firmware scan's report, a line of the list at a time.
constexpr int kFirmwareListText = 167;
constexpr int kFirmwareListMissingText = 168;
constexpr int kFirmwareUsableText = 169;
constexpr int kFirmwareListCutText = 170;
constexpr int kVerdictChosenText = 171;
constexpr int kVerdictNotNewerText = 172;
constexpr int kVerdictMissingText = 173;
constexpr int kVerdictNotAFileText = 174;
constexpr int kVerdictUnreadableText = 175;
constexpr int kVerdictTooLargeText = 176;
constexpr int kVerdictTooShortText = 177;
constexpr int kVerdictBadChecksumText = 178;
constexpr int kVerdictNameMismatchText = 179;
constexpr int kVerdictNotWholeBlocksText = 180;
constexpr int kVerdictLineTooLongText = 181;
constexpr int kEmptyLineText = 182;

// Help > Using the window, when the guide is not where the program looks for it.
constexpr int kGuideMissingMessage = 183;
// The status bar when no rack is connected and none is being searched for.
constexpr int kStatusNotConnectedText = 184;

// Rack > Connect to...: the choice that searches the whole table, the last state of an entry, the dialog's button.
constexpr int kSearchAllText = 185;
constexpr int kEntryFoundText = 186;
constexpr int kEntryNotTriedText = 187;
constexpr int kConnectButtonText = 188;

}  // namespace kelvane
