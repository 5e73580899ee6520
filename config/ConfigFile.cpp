#include "config/ConfigFile.h"

#include "config/ImageFields.h"
#include "platform/FileSync.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
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

class SaveRefusalCategoryImpl final : public std::error_category {
public:
    const char* name() const noexcept override { return "kelvane save"; }
    std::string message(int value) const override {
        switch (static_cast<SaveRefusal>(value)) {
        case SaveRefusal::TableTooLarge: return "the rack's table claims more than it holds";
        case SaveRefusal::NotAFile: return "the name is that of a folder or a device, not of a file";
        case SaveRefusal::FileWriteProtected: return "the file is write-protected: this user may not replace it";
        case SaveRefusal::FolderWriteProtected:
            return "the folder is write-protected: this user cannot write a new file there, so the file cannot be "
                   "replaced safely";
        case SaveRefusal::NoFreeName: return "no free name beside the file for the new one";
        }
        return "unknown reason";
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        switch (static_cast<SaveRefusal>(value)) {
        case SaveRefusal::TableTooLarge: return std::errc::value_too_large;
        case SaveRefusal::NotAFile: return std::errc::is_a_directory;
        case SaveRefusal::FileWriteProtected:
        case SaveRefusal::FolderWriteProtected: return std::errc::permission_denied;
        case SaveRefusal::NoFreeName: return std::errc::file_exists;
        }
        return {value, *this};
    }
};

// The system's ways of saying "not for you": the user lacks the right, or the disk is mounted read-only.
bool IsAccessDenied(int code) { return code == EACCES || code == EPERM || code == EROFS || code == ETXTBSY; }

// Whether this process may write to `file`, as the system decides with everything it knows (owner, group,
// access lists, a read-only mount): opening it to append changes nothing in it. `error` gets any other failure.
bool WritableByThisUser(const fs::path& file, std::error_code& error) {
    errno = 0;
    if (OpenFile(file, "ab")) return true;
    error = IsAccessDenied(errno) ? make_error_code(SaveRefusal::FileWriteProtected) : LastError();
    return false;
}

// An existing file that the operator could not overwrite in place is not replaced behind their back either.
// `keep` gets the permission bits the new file must have.
bool MayReplace(const fs::path& target, std::optional<fs::perms>& keep, std::error_code& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (status.type() == fs::file_type::not_found) return true;
    if (ec) {
        error = ec;
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = SaveRefusal::NotAFile;
        return false;
    }
    // Its owner marked it read-only: that stands even for an administrator, whom the system lets write it.
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        error = SaveRefusal::FileWriteProtected;
        return false;
    }
    if (!WritableByThisUser(target, error)) return false;
    // Only the read, write and execute bits: a set-user-id bit must never pass to a file of another owner.
    keep = status.permissions() & fs::perms::all;
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

// Created only if the name is still free, so that a link planted under it in a shared folder is never followed.
// The C library of Windows does not know the exclusive mode; the name is fresh and random there as well.
#ifdef _WIN32
constexpr const char* kPartialMode = "wb";
#else
constexpr const char* kPartialMode = "wbx";
#endif

// Writes the records to `partial` with the permission bits `keep` and pushes them onto the disk; on failure
// nothing of it is left behind.
bool WritePartial(const fs::path& partial, const SlotTable& slots, const std::optional<fs::perms>& keep,
                  std::error_code& error) {
    errno = 0;
    FileHandle file = OpenFile(partial, kPartialMode);
    if (!file) {
        error = IsAccessDenied(errno) ? make_error_code(SaveRefusal::FolderWriteProtected) : LastError();
        return false;
    }
    // Set before a byte goes in, so that a private file's contents are never readable by others on the way.
    if (keep) fs::permissions(partial, *keep, error);
    errno = 0;
    const bool written = !error && WriteRecords(file.get(), slots) && FlushFileToDisk(file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed) return true;
    if (!error) error = LastError();
    std::error_code ignored;
    fs::remove(partial, ignored);
    return false;
}

}  // namespace

const std::error_category& SaveRefusalCategory() {
    static const SaveRefusalCategoryImpl category;
    return category;
}

std::error_code make_error_code(SaveRefusal refusal) { return {static_cast<int>(refusal), SaveRefusalCategory()}; }

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
        error = SaveRefusal::TableTooLarge;
        return false;
    }
    const fs::path target = SaveTarget(path);
    std::optional<fs::perms> keep;
    if (!MayReplace(target, keep, error)) return false;
    fs::path partial;
    if (!PickPartialName(target, partial)) {
        error = SaveRefusal::NoFreeName;
        return false;
    }
    if (!WritePartial(partial, slots, keep, error)) return false;
    fs::rename(partial, target, error);
    if (error) {
        // A folder that lets anyone make files may still keep each user's files to their owner.
        if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
            error = SaveRefusal::FileWriteProtected;
        }
        std::error_code ignored;
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
