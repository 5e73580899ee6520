#include "config/ConfigFile.h"

#include "config/ImageFields.h"
#include "platform/FileToolkit.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kRecordHeader = 3;
constexpr const char* kConfigExtension = ".kcf";

// The largest file that can be read whole: every record full. One byte more is enough to tell a file with
// too many records, so nothing past that is ever read.
constexpr std::size_t kLargestFile = kSlotCount * (kRecordHeader + kConfigCapacity);

// Reads the records into `fresh`, a table of their own, so that a refused file changes nothing.
ConfigReadResult ReadRecords(std::span<const std::uint8_t> bytes, LoadedConfig& fresh) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (fresh.LoadedCount == kSlotCount) return ConfigReadResult::TooManyRecords;
        if (bytes.size() - at < kRecordHeader) return ConfigReadResult::Truncated;
        const std::size_t imageLength = std::size_t{bytes[at + 1]} << 8 | bytes[at + 2];
        if (imageLength > kConfigCapacity) return ConfigReadResult::RecordTooLong;
        if (bytes.size() - at - kRecordHeader < imageLength) return ConfigReadResult::Truncated;
        SlotRecord& record = fresh.LoadedTable[fresh.LoadedCount];
        const auto image = bytes.subspan(at + kRecordHeader, imageLength);
        std::copy(image.begin(), image.end(), record.Config.begin());
        record.Type = bytes[at];
        record.ConfigLength = static_cast<std::uint16_t>(imageLength);
        ++fresh.LoadedCount;
        at += kRecordHeader + imageLength;
    }
    return ConfigReadResult::Read;
}

// The file's bytes: each record's type, its big-endian length and its image.
std::vector<std::uint8_t> FileBytes(const SlotTable& slots) {
    std::vector<std::uint8_t> bytes;
    for (const SlotRecord& record : slots.Valid()) {
        const auto image = ValidImage(record);
        bytes.insert(bytes.end(), {record.Type, static_cast<std::uint8_t>(record.ConfigLength >> 8),
                                   static_cast<std::uint8_t>(record.ConfigLength & 0xFF)});
        bytes.insert(bytes.end(), image.begin(), image.end());
    }
    return bytes;
}

// The file a save really replaces: through a symbolic link to the file it names, so the link survives.
fs::path SaveTarget(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? path : resolved;
}

// The save's refusals that are the file toolkit's own: their words and their std::errc are the toolkit's.
constexpr std::pair<SaveRefusal, FileRefusal> kToolkitRefusals[] = {
    {SaveRefusal::FileWriteProtected, FileRefusal::FileWriteProtected},
    {SaveRefusal::FolderWriteProtected, FileRefusal::FolderWriteProtected},
    {SaveRefusal::NoFreeName, FileRefusal::NoFreeName},
};

std::optional<FileRefusal> ToolkitRefusal(int value) {
    for (const auto& [save, toolkit] : kToolkitRefusals) {
        if (static_cast<int>(save) == value) return toolkit;
    }
    return std::nullopt;
}

class SaveRefusalCategoryImpl final : public std::error_category {
public:
    const char* name() const noexcept override { return "kelvane save"; }
    std::string message(int value) const override {
        if (const auto toolkit = ToolkitRefusal(value)) return make_error_code(*toolkit).message();
        if (value == static_cast<int>(SaveRefusal::TableTooLarge)) return "the rack's table claims more than it holds";
        if (value == static_cast<int>(SaveRefusal::NotAFile)) {
            return "the name is that of a folder or a device, not of a file";
        }
        return "unknown reason";
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        if (const auto toolkit = ToolkitRefusal(value)) return make_error_code(*toolkit).default_error_condition();
        if (value == static_cast<int>(SaveRefusal::TableTooLarge)) return std::errc::value_too_large;
        if (value == static_cast<int>(SaveRefusal::NotAFile)) return std::errc::is_a_directory;
        return {value, *this};
    }
};

// The file toolkit's refusals in the words a save has always given; anything else is the system's own reason.
std::error_code SaveError(const std::error_code& error) {
    if (error == std::errc::is_a_directory || error == FileRefusal::NotRegular || error == FileRefusal::SymbolicLink) {
        return SaveRefusal::NotAFile;
    }
    for (const auto& [save, toolkit] : kToolkitRefusals) {
        if (error == toolkit) return save;
    }
    return error;
}

}  // namespace

const std::error_category& SaveRefusalCategory() {
    static const SaveRefusalCategoryImpl category;
    return category;
}

std::error_code make_error_code(SaveRefusal refusal) { return {static_cast<int>(refusal), SaveRefusalCategory()}; }

ConfigReadResult ReadConfigFile(const fs::path& path, LoadedConfig& loaded, std::error_code* reason) {
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    // One byte past the largest file is read, so that a longer one is told by its records as a shorter one is.
    if (ReadRegularFile(path, kLargestFile + 1, bytes, error)) return ReadConfigBytes(bytes, loaded);
    if (reason != nullptr) *reason = error;
    return error == FileRefusal::TooLarge ? ConfigReadResult::TooManyRecords : ConfigReadResult::CannotOpen;
}

ConfigReadResult ReadConfigBytes(std::span<const std::uint8_t> bytes, LoadedConfig& loaded) {
    const auto fresh = std::make_unique<LoadedConfig>();
    const ConfigReadResult result = ReadRecords(bytes, *fresh);
    if (result != ConfigReadResult::Read) return result;
    for (std::size_t k = 0; k < fresh->LoadedCount; ++k) {
        SlotRecord& record = loaded.LoadedTable[k];
        record.Type = fresh->LoadedTable[k].Type;
        record.ConfigLength = fresh->LoadedTable[k].ConfigLength;
        record.Config = fresh->LoadedTable[k].Config;
    }
    loaded.LoadedCount = fresh->LoadedCount;
    return result;
}

bool SaveConfigFile(const fs::path& path, const SlotTable& slots, std::error_code& error) {
    error.clear();
    // A table that claims more than it holds would have the file made up of whatever memory follows.
    const bool whole = slots.ModuleCount <= kSlotCount &&
                       std::all_of(slots.Valid().begin(), slots.Valid().end(),
                                   [](const SlotRecord& record) { return record.ConfigLength <= kConfigCapacity; });
    if (!whole) {
        error = SaveRefusal::TableTooLarge;
        return false;
    }
    if (!ReplaceFileAtomically(SaveTarget(path), FileBytes(slots), error)) {
        error = SaveError(error);
        return false;
    }
    return true;
}

std::string WithConfigExtension(const std::string& path) {
    // Only the file's own name counts: a point in a folder's name, or an earlier point in the name, must not
    // turn the file the operator picked into one that does not exist.
    const std::size_t nameStart = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
    const std::string name = path.substr(nameStart);
    const bool keep = name.size() > 4 && name[name.size() - 4] == '.' &&
                      std::toupper(static_cast<unsigned char>(name[name.size() - 3])) == 'K' &&
                      std::toupper(static_cast<unsigned char>(name[name.size() - 2])) == 'C' &&
                      std::toupper(static_cast<unsigned char>(name[name.size() - 1])) == 'F';
    return keep ? path : path + kConfigExtension;
}

fs::path PathFromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

}  // namespace kelvane
