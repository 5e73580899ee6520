#pragma once

#include <string>

namespace kelvane {

// Every text the program composes at run time, in four languages. Texts are UTF-8; some hold printf-style
// placeholders (%d, %s, %06X) that callers fill with FormatText (app/TextFormat.h), never with printf.
constexpr int kMessageCount = 108;

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

// The signal history: the panel's button, the window's caption, its charts and their legends.
constexpr int kHistoryTipMessage = 99;
constexpr int kHistoryTitleMessage = 100;
constexpr int kHistoryInputMessage = 101;
constexpr int kHistoryChannelMessage = 102;
constexpr int kHistoryRateMessage = 103;
constexpr int kHistoryCapacityMessage = 104;
constexpr int kHistoryLockLostMessage = 105;
constexpr int kHistoryNoDataMessage = 106;
constexpr int kHistoryTimeAxisMessage = 107;

enum Language : int {
    kEnglish = 0,
    kFrench = 1,
    kItalian = 2,
    kGerman = 3,
};
constexpr int kLanguageCount = 4;

// The operator's language for the whole program: German until start-up has read the preferences file.
// An index outside 0..3 is refused (false) and the language stays as it was, so a bad value can never turn
// into some other language by clamping.
bool SetLanguageIndex(int language);
int LanguageIndex();

// The text of message `id` in the current language.
std::string MessageText(int id);

// The text of message `id` in `language`. An id outside 0..kMessageCount - 1 or a language outside 0..3 gives an empty
// string rather than reading past the table.
std::string MessageText(int id, int language);

// The two-letter code of a language ("en", "fr", "it", "de"), for the texts that come from elsewhere.
std::string LanguageCode(int language);

}  // namespace kelvane
