#include "config/FirmwareFiles.h"

#include "app/ModuleTypes.h"
#include "platform/FileToolkit.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <span>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

constexpr std::array<std::uint8_t, 9> kMinUpgradable{99, 14, 22, 20, 13, 10, 10, 10, 10};
constexpr std::size_t kModelNameLength = 6;
constexpr std::size_t kChecksumLength = 4;
constexpr std::size_t kMaxFirmwareFile = kFirmwareHeader + kMaxFirmwareImage;
constexpr std::uint64_t kFnvOffset = 0xCBF29CE484222325u;
constexpr std::uint64_t kFnvPrime = 0x100000001B3u;

// What one pass over a firmware file found. Only the header is kept; the rest is summed as it goes by.
struct FileFacts {
    std::size_t length = 0;
    std::array<std::uint8_t, kFirmwareHeader> header{};
    std::uint32_t sum = 0;  // of every byte after the stored checksum
    std::uint64_t fingerprint = kFnvOffset;
};

// The scan's word for why a file could not be read; the system's reason stays only where it is the reason.
FirmwareVerdict VerdictOf(std::error_code& error) {
    FirmwareVerdict verdict = FirmwareVerdict::Unreadable;
    if (error == std::errc::no_such_file_or_directory) verdict = FirmwareVerdict::Missing;
    if (error == FileRefusal::TooLarge) verdict = FirmwareVerdict::TooLarge;
    if (error == std::errc::is_a_directory || error == FileRefusal::NotRegular) verdict = FirmwareVerdict::NotAFile;
    if (verdict != FirmwareVerdict::Unreadable) error.clear();
    return verdict;
}

void Absorb(FileFacts& facts, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (facts.length < kFirmwareHeader) facts.header[facts.length] = byte;
        if (facts.length >= kChecksumLength) facts.sum += byte;
        facts.fingerprint = (facts.fingerprint ^ byte) * kFnvPrime;
        ++facts.length;
    }
}

std::optional<FirmwareVerdict> ReadFacts(const fs::path& path, std::size_t limit, FileFacts& facts,
                                         std::error_code& error, std::vector<std::uint8_t>* image) {
    // A folder, a device or a pipe is refused unopened, a file longer than `limit` unread.
    const auto take = [&](std::span<const std::uint8_t> bytes) {
        const std::size_t start = facts.length;
        Absorb(facts, bytes);
        if (image == nullptr || facts.length <= kFirmwareHeader) return;
        const std::size_t skip = start < kFirmwareHeader ? kFirmwareHeader - start : 0;
        image->insert(image->end(), bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end());
    };
    if (ReadRegularFileInChunks(path, limit, take, error)) return std::nullopt;
    return VerdictOf(error);
}

std::uint32_t StoredChecksum(const FileFacts& facts) {
    return static_cast<std::uint32_t>(facts.header[0]) | static_cast<std::uint32_t>(facts.header[1]) << 8 |
           static_cast<std::uint32_t>(facts.header[2]) << 16 | static_cast<std::uint32_t>(facts.header[3]) << 24;
}

// Judges one listed file; `note` gets its type and version when the header could be trusted.
FirmwareVerdict Judge(const FileFacts& facts, FirmwareScanNote& note) {
    if (facts.length <= kFirmwareHeader) return FirmwareVerdict::TooShort;
    if (StoredChecksum(facts) != facts.sum) return FirmwareVerdict::BadChecksum;
    note.type = facts.header[4];
    note.version = facts.header[5];
    const std::string model = ModuleTypeName(note.type);
    if (model.empty() || note.line.compare(0, kModelNameLength, model) != 0) return FirmwareVerdict::NameMismatch;
    return ImageRefusal(note.type, facts.length - kFirmwareHeader).value_or(FirmwareVerdict::Chosen);
}

// The firmware list, read a line at a time through a bounded buffer.
class ListLines {
public:
    // Only a regular file: a device or a pipe in its place could hold the scan for ever. A longer list is read
    // up to the bound, as a list of too many lines is.
    bool Open(const fs::path& path) {
        std::error_code error;
        return file_.Open(path, std::numeric_limits<std::uintmax_t>::max(), error);
    }
    // Whether reading stopped before the end of the list.
    bool Cut() const { return cut_; }
    // One line, without its line end. A line longer than any name is read to its end but not kept.
    bool Next(std::string& line, bool& tooLong) {
        line.clear();
        tooLong = false;
        int c = Get();
        if (c < 0) return false;
        for (; c >= 0 && c != '\n'; c = Get()) {
            if (line.size() < kMaxFirmwareListLine) {
                line.push_back(static_cast<char>(c));
            } else {
                tooLong = true;
            }
        }
        while (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

private:
    int Get() {
        if (at_ == size_) {
            std::error_code error;
            const std::size_t room = std::min(buffer_.size(), kMaxFirmwareListBytes - read_);
            size_ = room == 0 ? 0 : file_.Read(std::span(buffer_).first(room), error);
            at_ = 0;
            read_ += size_;
            cut_ = cut_ || room == 0 || error;
            if (size_ == 0) return -1;
        }
        return buffer_[at_++];
    }

    RegularFileReader file_;
    std::array<std::uint8_t, 4096> buffer_{};
    std::size_t at_ = 0;
    std::size_t size_ = 0;
    std::size_t read_ = 0;
    bool cut_ = false;
};

FirmwareScanNote ExamineLine(const fs::path& directory, const std::string& line, bool tooLong, FileFacts& facts) {
    FirmwareScanNote note;
    note.line = line;
    note.verdict = FirmwareVerdict::Missing;
    if (tooLong) {
        note.verdict = FirmwareVerdict::LineTooLong;
        return note;
    }
    if (line.empty()) return note;
    try {
        note.path = directory / line;
    } catch (const std::exception&) {
        // A name the system cannot spell is a name of no file.
        return note;
    }
    const auto refusal = ReadFacts(note.path, kMaxFirmwareFile, facts, note.error, nullptr);
    note.verdict = refusal ? *refusal : Judge(facts, note);
    return note;
}

void Choose(FirmwareScan& scan, FirmwareScanNote& note, const FileFacts& facts) {
    if (note.verdict != FirmwareVerdict::Chosen) return;
    FirmwareEntry& entry = scan.table[note.type];
    if (note.version <= entry.BestVersion) {
        note.verdict = FirmwareVerdict::NotNewer;
        return;
    }
    entry.BestVersion = note.version;
    entry.ImagePath = note.path;
    entry.FileLength = facts.length;
    entry.Fingerprint = facts.fingerprint;
    ++scan.FirmwareFilesFound;
}

}  // namespace

std::uint8_t MinUpgradableVersion(std::uint8_t type) { return type < kMinUpgradable.size() ? kMinUpgradable[type] : 0; }

FirmwareScan ScanFirmwareFiles(const fs::path& applicationDirectory) {
    FirmwareScan scan;
    for (std::size_t t = 0; t < kFirmwareTypes; ++t) {
        scan.table[t].MinUpgradableVersion = MinUpgradableVersion(static_cast<std::uint8_t>(t));
    }
    const fs::path directory = applicationDirectory / "firmware";
    ListLines list;
    if (!list.Open(directory / kFirmwareListName)) return scan;
    scan.listFound = true;

    std::string line;
    for (bool tooLong = false; list.Next(line, tooLong);) {
        if (scan.notes.size() == kMaxFirmwareListLines) {
            scan.listCut = true;
            break;
        }
        FileFacts facts;
        scan.notes.push_back(ExamineLine(directory, line, tooLong, facts));
        Choose(scan, scan.notes.back(), facts);
    }
    scan.listCut = scan.listCut || list.Cut();
    return scan;
}

std::optional<FirmwareVerdict> ImageRefusal(std::uint8_t type, std::size_t length) {
    if (length == 0) return FirmwareVerdict::TooShort;
    if (length > kMaxFirmwareImage) return FirmwareVerdict::TooLarge;
    // Blocks go out 256 bytes at a time, backwards from the end: a ragged image would be sent from the wrong place.
    if (type != kPlayerType && length % kFirmwareBlock != 0) return FirmwareVerdict::NotWholeBlocks;
    return std::nullopt;
}

bool ReportedInWindow(FirmwareVerdict verdict) { return verdict == FirmwareVerdict::TooLarge; }

bool UpgradeDue(std::uint8_t moduleVersion, const FirmwareEntry& entry) {
    return moduleVersion < entry.BestVersion && (moduleVersion >= entry.MinUpgradableVersion || moduleVersion < 10);
}

ImageLoad LoadFirmwareImage(const FirmwareEntry& entry, std::vector<std::uint8_t>& image) {
    image.clear();
    if (entry.FileLength <= kFirmwareHeader) return ImageLoad::Unreadable;
    image.reserve(entry.FileLength - kFirmwareHeader);
    FileFacts facts;
    std::error_code error;
    // One byte more than the scan saw is enough to tell a file that grew.
    const auto refusal = ReadFacts(entry.ImagePath, entry.FileLength + 1, facts, error, &image);
    const bool same = !refusal && facts.length == entry.FileLength && facts.fingerprint == entry.Fingerprint;
    if (same) return ImageLoad::Loaded;
    image.clear();
    const bool gone = refusal && (*refusal == FirmwareVerdict::Missing || *refusal == FirmwareVerdict::Unreadable);
    return gone ? ImageLoad::Unreadable : ImageLoad::Changed;
}

std::vector<std::uint8_t> BuildFirmwareFile(std::uint8_t type, std::uint8_t version,
                                            const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> file(kFirmwareHeader + image.size());
    file[4] = type;
    file[5] = version;
    std::copy(image.begin(), image.end(), file.begin() + kFirmwareHeader);
    std::uint32_t sum = 0;
    for (std::size_t i = kChecksumLength; i < file.size(); ++i) sum += file[i];
    for (std::size_t k = 0; k < kChecksumLength; ++k) file[k] = static_cast<std::uint8_t>(sum >> (8 * k));
    return file;
}

const char* FirmwareVerdictText(FirmwareVerdict verdict) {
    switch (verdict) {
    case FirmwareVerdict::Chosen: return "kept";
    case FirmwareVerdict::NotNewer: return "skipped: an image listed earlier is as new";
    case FirmwareVerdict::Missing: return "skipped: no such file";
    case FirmwareVerdict::NotAFile: return "skipped: a folder or a device, not a file";
    case FirmwareVerdict::Unreadable: return "skipped: cannot be read";
    case FirmwareVerdict::TooLarge: return "refused: larger than 16 MiB, the most a module can take";
    case FirmwareVerdict::TooShort: return "skipped: 6 bytes or fewer";
    case FirmwareVerdict::BadChecksum: return "skipped: checksum mismatch";
    case FirmwareVerdict::NameMismatch: return "skipped: the name does not start with its type's model name";
    case FirmwareVerdict::NotWholeBlocks: return "skipped: not a whole number of 256-byte blocks";
    case FirmwareVerdict::LineTooLong: return "skipped: the line is longer than any file name";
    }
    return "";
}

}  // namespace kelvane
