#include "app/WindowTexts.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "platform/FileToolkit.h"

#include <algorithm>

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
    std::string line =
        (note.line.empty() ? MessageText(kEmptyLineText) : note.line) + ": " + MessageText(VerdictText(note.verdict));
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

// One line of Markdown as plain text: headings without their marks, table cells apart, no code quotes; a
// table's rule line gives nothing.
std::string PlainLine(std::string line) {
    std::erase(line, '`');
    if (line.starts_with('#')) return line.substr(std::min(line.find_first_not_of("# "), line.size()));
    if (!line.starts_with('|')) return line;
    if (line.find_first_not_of("|-: ") == std::string::npos) return {};
    std::string cells;
    std::size_t at = 1;
    while (at < line.size()) {
        std::size_t bar = line.find('|', at);
        if (bar == std::string::npos) bar = line.size();
        std::string cell = line.substr(at, bar - at);
        cell.erase(0, std::min(cell.find_first_not_of(' '), cell.size()));
        while (!cell.empty() && cell.back() == ' ') cell.pop_back();
        if (!cell.empty()) cells += (cells.empty() ? "  " : "   ") + cell;
        at = bar + 1;
    }
    return cells;
}

// The section as the text window shows it: a paragraph's lines joined, so that the window wraps them to its
// width; headings and table rows on lines of their own.
std::string PlainText(const std::string& markdown) {
    std::string out;
    bool inParagraph = false;
    std::size_t at = 0;
    while (at < markdown.size()) {
        std::size_t end = markdown.find('\n', at);
        if (end == std::string::npos) end = markdown.size();
        const std::string raw = markdown.substr(at, end - at);
        at = end + 1;
        const bool ownLine = raw.empty() || raw.starts_with('#') || raw.starts_with('|') || raw.starts_with("![");
        if (raw.starts_with("![")) continue;  // a picture the text window cannot show
        const std::string line = PlainLine(raw);
        if (raw.starts_with('|') && line.empty()) continue;
        if (inParagraph && !ownLine) {
            out += " " + line;
            continue;
        }
        if (inParagraph) out += "\n";
        out += line;
        inParagraph = !ownLine;
        if (ownLine) out += "\n";
    }
    return inParagraph ? out + "\n" : out;
}

}  // namespace

std::string FirmwareReportText(const FirmwareScan& scan, const std::filesystem::path& listPath) {
    std::string text = FormatText(MessageText(kFirmwareListText), {listPath.string()}) + "\n\n";
    if (!scan.listFound) return text + MessageText(kFirmwareListMissingText) + "\n";
    for (const FirmwareScanNote& note : scan.notes) text += "  " + NoteLine(note) + "\n";
    if (scan.listCut)
        text += FormatText(MessageText(kFirmwareListCutText), {static_cast<int>(kMaxFirmwareListLines)}) + "\n";
    return text + "\n" + FormatText(MessageText(kFirmwareUsableText), {static_cast<int>(scan.FirmwareFilesFound)}) +
           "\n";
}

std::string WindowGuideText(const std::vector<std::filesystem::path>& candidates) {
    std::string tried;
    for (const std::filesystem::path& path : candidates) {
        std::vector<std::uint8_t> bytes;
        std::error_code error;
        if (ReadRegularFile(path, kLongestGuide, bytes, error)) {
            const std::string section = Section("\n" + std::string(bytes.begin(), bytes.end()));
            if (!section.empty()) return PlainText(section);
        }
        tried += (tried.empty() ? "" : ", ") + path.string();
    }
    return FormatText(MessageText(kGuideMissingMessage), {tried});
}

}  // namespace kelvane
