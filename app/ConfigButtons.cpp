// The main window's buttons 1024 and 1025: the whole rack's configuration saved to a file, and a file's
// configuration uploaded to the rack once the operator has seen its summary.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "app/Tones.h"
#include "config/ConfigFile.h"
#include "config/ConfigUpload.h"
#include "config/ConfigValidate.h"
#include "res/ResourceIds.h"

#include <filesystem>

namespace kelvane {
namespace {

constexpr std::uint32_t kReportMs = 2000;
// A failed upload is followed at once by a new search for the rack, whose messages would hide it.
constexpr std::uint32_t kUploadFailureReadMs = 2000;

constexpr const char* kConfigFolder = "config";
constexpr const char* kFilterName = "Config.";
constexpr const char* kFilterPattern = "*.kcf";

// The reason a save was refused, in the operator's language; empty for the system's own failures (a full disk),
// which message 37 alone tells.
std::string SaveRefusalText(const std::error_code& error) {
    if (error == SaveRefusal::FileWriteProtected) return MessageText(kFileWriteProtectedMessage);
    if (error == SaveRefusal::FolderWriteProtected) return MessageText(kFolderWriteProtectedMessage);
    if (error == SaveRefusal::NotAFile) return MessageText(kNotAFileMessage);
    return {};
}

// A folder, a device or a named pipe where the operator chose a file: said, as a save says it.
bool NotAFile(const std::error_code& error) {
    return error == std::errc::is_a_directory || error == std::errc::invalid_argument;
}

}  // namespace

void CKelvaneDlg::SaveConfiguration() {
    SelectSlot(kNoSlot);
    const std::optional<std::string> path = AskConfigPath(true);
    if (!path) return;
    std::error_code error;
    if (!SaveConfigFile(PathFromUtf8(*path), slots_, error)) {
        return ReportFailure(kCannotCreateFileMessage, SaveRefusalText(error));
    }
    info_.ShowInfo(MessageText(kSavedMessage) + *path, false, kReportMs);
}

void CKelvaneDlg::UploadConfiguration() {
    SelectSlot(kNoSlot);
    const std::optional<std::string> path = AskConfigPath(false);
    if (!path) return;
    std::error_code why;
    const ConfigReadResult read = ReadConfigFile(PathFromUtf8(*path), loaded_, &why);
    if (read != ConfigReadResult::Read) {
        return ReportFailure(ReadFailureMessage(read), NotAFile(why) ? MessageText(kNotAFileMessage) : "");
    }
    CConfigValidate summary(windows_, slots_, loaded_);
    const int answer = summary.DoModal(window_.get());
    // The place where the summary stood is painted again before the rack is talked to.
    window_->RepaintNow();
    if (answer != CConfigValidate::kOk) return;
    EnableCommand(res::kDiscoverButton, false);
    EnableCommand(res::kUploadButton, false);
    EnableCommand(res::kSaveButton, false);
    const UploadResult result = [this] {
        const ui::BusyScope busy(windows_);
        return UploadLoadedConfig(link_, slots_, loaded_);
    }();
    EnableCommand(res::kDiscoverButton, true);
    EnableCommand(res::kUploadButton, true);
    EnableCommand(res::kSaveButton, true);
    // A module that did not answer has not taken its image: saying "uploaded" would be untrue. The lost link
    // makes the supervision read the rack afresh, so the failure is held long enough to be read first.
    if (result != UploadResult::Sent) {
        windows_.Beep(kConfigErrorTone.frequencyHz, kConfigErrorTone.milliseconds);
        info_.ShowInfo(MessageText(kErrorMessage), true, kUploadFailureReadMs);
        return;
    }
    info_.ShowInfo(MessageText(kUploadedMessage), false, kReportMs);
    status_.SetLastWrite(MessageText(kUploadedMessage) + " (" + LocalTimeOfDay(windows_.GetClock().SystemSeconds()) +
                         ")");
}

int CKelvaneDlg::ReadFailureMessage(ConfigReadResult result) {
    switch (result) {
    case ConfigReadResult::Truncated: return kTruncatedFileMessage;
    case ConfigReadResult::RecordTooLong: return kRecordTooLongMessage;
    case ConfigReadResult::TooManyRecords: return kTooManyRecordsMessage;
    case ConfigReadResult::CannotOpen:
    case ConfigReadResult::Read: break;
    }
    return kCannotOpenFileMessage;
}

// The file dialog of either flow; the chosen path with the extension rule applied, or nothing when cancelled.
std::optional<std::string> CKelvaneDlg::AskConfigPath(bool save) {
    ui::FileDialogRequest request;
    request.title = MessageText(save ? kSaveTitleMessage : kUploadTitleMessage);
    request.directory = (std::filesystem::path(applicationDirectory_) / kConfigFolder).string();
    request.filterName = kFilterName;
    request.pattern = kFilterPattern;
    // Named before the dialog asks about overwriting, so that "rack" is checked as the "rack.kcf" it becomes,
    // and "rack.v2" as "rack.v2.kcf".
    if (save) request.defaultExtension = "kcf";
    request.finalName = WithConfigExtension;
    const std::optional<std::string> chosen = save ? windows_.AskSaveFile(request) : windows_.AskOpenFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return WithConfigExtension(*chosen);
}

void CKelvaneDlg::ReportFailure(int message, const std::string& reason) {
    windows_.Beep(kConfigErrorTone.frequencyHz, kConfigErrorTone.milliseconds);
    info_.ShowInfo(reason.empty() ? MessageText(message) : MessageText(message) + "\r\n" + reason, false, kReportMs);
}

}  // namespace kelvane
