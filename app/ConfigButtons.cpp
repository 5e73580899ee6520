// The main window's buttons 1024 and 1025: the whole rack's configuration saved to a file, and a file's
// configuration uploaded to the rack once the operator has seen its summary.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "config/ConfigFile.h"
#include "config/ConfigUpload.h"
#include "config/ConfigValidate.h"

#include <filesystem>

namespace kelvane {
namespace {

constexpr int kUploadFailedMessage = 26;
constexpr int kSaveTitleMessage = 34;
constexpr int kUploadTitleMessage = 35;
constexpr int kSavedMessage = 36;
constexpr int kCannotCreateMessage = 37;
constexpr int kUploadedMessage = 38;
constexpr int kCannotOpenMessage = 39;

constexpr std::uint32_t kReportMs = 2000;
constexpr unsigned kErrorBeepHz = 440;
constexpr unsigned kErrorBeepMs = 250;

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

}  // namespace

void CKelvaneDlg::SaveConfiguration() {
    SelectSlot(kNoSlot);
    const std::optional<std::string> path = AskConfigPath(true);
    if (!path) return;
    std::error_code error;
    if (!SaveConfigFile(PathFromUtf8(*path), slots_, error)) {
        return ReportFailure(kCannotCreateMessage, SaveRefusalText(error));
    }
    info_.ShowInfo(MessageText(kSavedMessage) + *path, false, kReportMs);
}

void CKelvaneDlg::UploadConfiguration() {
    SelectSlot(kNoSlot);
    const std::optional<std::string> path = AskConfigPath(false);
    if (!path) return;
    if (ReadConfigFile(PathFromUtf8(*path), loaded_) != ConfigReadResult::Read) {
        return ReportFailure(kCannotOpenMessage);
    }
    CConfigValidate summary(windows_, slots_, loaded_);
    if (summary.DoModal(window_.get()) != CConfigValidate::kOk) return;
    // A module that did not answer has not taken its image: saying "uploaded" would be untrue. The lost link
    // makes the supervision read the rack afresh.
    if (UploadLoadedConfig(link_, slots_, loaded_) != UploadResult::Sent) return ReportFailure(kUploadFailedMessage);
    info_.ShowInfo(MessageText(kUploadedMessage), false, kReportMs);
}

// The file dialog of either flow; the chosen path with the extension rule applied, or nothing when cancelled.
std::optional<std::string> CKelvaneDlg::AskConfigPath(bool save) {
    ui::FileDialogRequest request;
    request.title = MessageText(save ? kSaveTitleMessage : kUploadTitleMessage);
    request.directory = (std::filesystem::path(applicationDirectory_) / kConfigFolder).string();
    request.filterName = kFilterName;
    request.pattern = kFilterPattern;
    // Named before the dialog asks about overwriting, so that "rack" is checked as the "rack.kcf" it becomes.
    if (save) request.defaultExtension = "kcf";
    const std::optional<std::string> chosen = save ? windows_.AskSaveFile(request) : windows_.AskOpenFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return WithConfigExtension(*chosen);
}

void CKelvaneDlg::ReportFailure(int message, const std::string& reason) {
    windows_.Beep(kErrorBeepHz, kErrorBeepMs);
    info_.ShowInfo(reason.empty() ? MessageText(message) : MessageText(message) + "\r\n" + reason, false, kReportMs);
}

}  // namespace kelvane
