#include "app/WindowTexts.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "platform/FileToolkit.h"

namespace kelvane {
namespace {

// A README is a few dozen kilobytes; nothing longer is read.
constexpr std::uintmax_t kLongestGuide = 1 << 20;
constexpr const char* kGuideHeading = "## The window";

int VerdictText(FirmwareVerdict verdict) {
    switch (verdict) {
    case FirmwareVerdict::Chosen: return kVerdictChosenText;
    case FirmwareVerdict::NotNewer: return kVerdictNotNewerText;
    case FirmwareVerdict::Missing: return kVerdictMissingText;
    case FirmwareVerdict::NotAFile: return kVerdictNotAFileText;
    case FirmwareVerdict::Unreadable: return kVerdictUnreadableText;
    case FirmwareVerdict::TooLarge: return kVerdictTooLargeText;
    case FirmwareVerdict::TooShort: return kVerdictTooShortText;
    case FirmwareVerdict::BadChecksum: return kVerdictBadChecksumText;
    case FirmwareVerdict::NameMismatch: return kVerdictNameMismatchText;
    case FirmwareVerdict::NotWholeBlocks: return kVerdictNotWholeBlocksText;
    case FirmwareVerdict::LineTooLong: return kVerdictLineTooLongText;
    }
    return kVerdictMissingText;
}

std::string NoteLine(const FirmwareScanNote& note) {
    std::string line = (note.line.empty() ? MessageText(kEmptyLineText) : note.line) + ": " +
                       MessageText(VerdictText(note.verdict));
    if (note.verdict == FirmwareVerdict::Chosen || note.verdict == FirmwareVerdict::NotNewer) {
        line += " (" + std::string(ModuleTypeName(note.type)) + " " + VersionLabel(note.version) + ")";
    }
    return line;
}

// The section from its heading to the next heading of the same level.
std::string Section(const std::string& text) {
    const std::size_t start = text.find(std::string("\n") + kGuideHeading);
    if (start == std::string::npos) return {};
    const std::size_t end = text.find("\n## ", start + 1);
    return text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

}  // namespace

std::string FirmwareReportText(const FirmwareScan& scan, const std::filesystem::path& listPath) {
    std::string text = FormatText(MessageText(kFirmwareListText), {listPath.string()}) + "\n\n";
    if (!scan.listFound) return text + MessageText(kFirmwareListMissingText) + "\n";
    for (const FirmwareScanNote& note : scan.notes) text += "  " + NoteLine(note) + "\n";
    if (scan.listCut) text += FormatText(MessageText(kFirmwareListCutText), {static_cast<int>(kMaxFirmwareListLines)}) + "\n";
    return text + "\n" + FormatText(MessageText(kFirmwareUsableText), {static_cast<int>(scan.FirmwareFilesFound)}) + "\n";
}

std::string WindowGuideText(const std::vector<std::filesystem::path>& candidates) {
    std::string tried;
    for (const std::filesystem::path& path : candidates) {
        std::vector<std::uint8_t> bytes;
        std::error_code error;
        if (ReadRegularFile(path, kLongestGuide, bytes, error)) {
            const std::string section = Section("\n" + std::string(bytes.begin(), bytes.end()));
            if (!section.empty()) return section;
        }
        tried += (tried.empty() ? "" : ", ") + path.string();
    }
    return FormatText(MessageText(kGuideMissingMessage), {tried});
}

}  // namespace kelvane
