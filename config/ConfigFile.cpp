#include "config/ConfigFile.h"

#include "config/ImageFields.h"
#include "platform/FileSync.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace kelvane {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kRecordHeader = 3;
constexpr const char* kConfigExtension = ".kcf";

std::error_code LastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

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

bool WriteRecords(std::FILE* file, const SlotTable& slots) {
    for (const SlotRecord& record : slots.Valid()) {
        const std::uint8_t header[kRecordHeader] = {record.Type, static_cast<std::uint8_t>(record.ConfigLength >> 8),
                                                    static_cast<std::uint8_t>(record.ConfigLength & 0xFF)};
        const auto image = ValidImage(record);
        if (std::fwrite(header, 1, sizeof header, file) != sizeof header) return false;
        if (std::fwrite(image.data(), 1, image.size(), file) != image.size()) return false;
    }
    return true;
}

// The file a save really replaces: through a symbolic link to the file it names, so the link survives.
fs::path SaveTarget(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? path : resolved;
}

// An existing file that the operator could not overwrite in place is not replaced behind their back either.
bool MayReplace(const fs::path& target, std::error_code& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (!fs::exists(status)) return true;
    if (!fs::is_regular_file(status)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    return true;
}

// A name beside the target that nothing uses yet, so that no file of the operator's is ever overwritten by the
// partial one.
bool PickPartialName(const fs::path& target, fs::path& partial) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".part-%06x", static_cast<unsigned>(random() & 0xFFFFFF));
        partial = target;
        partial += suffix;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(partial, ec))) return true;
    }
    return false;
}

// Writes the records to `partial` and pushes them onto the disk; on failure nothing of it is left behind.
bool WritePartial(const fs::path& partial, const SlotTable& slots, std::error_code& error) {
    errno = 0;
    FileHandle file = OpenFile(partial, "wb");
    if (!file) {
        error = LastError();
        return false;
    }
    errno = 0;
    const bool written = WriteRecords(file.get(), slots) && FlushFileToDisk(file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed) return true;
    error = LastError();
    std::error_code ignored;
    fs::remove(partial, ignored);
    return false;
}

}  // namespace

ConfigReadResult ReadConfigFile(const fs::path& path, LoadedConfig& loaded) {
    FileHandle file = OpenFile(path, "rb");
    if (!file) return ConfigReadResult::CannotOpen;
    std::vector<std::uint8_t> bytes(kLargestFile + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (std::ferror(file.get())) return ConfigReadResult::CannotOpen;
    return ReadConfigBytes(bytes, loaded);
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
        error = std::make_error_code(std::errc::value_too_large);
        return false;
    }
    const fs::path target = SaveTarget(path);
    if (!MayReplace(target, error)) return false;
    fs::path partial;
    if (!PickPartialName(target, partial)) {
        error = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (!WritePartial(partial, slots, error)) return false;
    std::error_code ignored;
    if (fs::exists(target, ignored)) fs::permissions(partial, fs::status(target, ignored).permissions(), ignored);
    fs::rename(partial, target, error);
    if (error) {
        fs::remove(partial, ignored);
        return false;
    }
    FlushDirectoryToDisk(target.parent_path());
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
