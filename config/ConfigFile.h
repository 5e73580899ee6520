#pragma once

#include "app/SlotTable.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

namespace kelvane {

// The records of the configuration file read last, in the slot-record layout. A read fills Type, ConfigLength
// and Config of records 0 to LoadedCount-1; the records after them keep older contents and mean nothing.
struct LoadedConfig {
    std::array<SlotRecord, kSlotCount> LoadedTable{};
    std::uint8_t LoadedCount = 0;
};

enum class ConfigReadResult {
    Read,
    CannotOpen,  // missing, unreadable, or not a regular file
    TooManyRecords,  // more records than the slot table holds
    RecordTooLong,  // an image longer than a record's buffer
    Truncated,  // the file ends inside a record
};

// Reads a whole configuration file: records of a type byte, a big-endian length and that many image bytes,
// back to back to the end of the file. Anything but Read leaves `loaded` exactly as it was, so that a
// damaged file can never be uploaded with bytes it does not hold. A named pipe or a device is refused at once
// (CannotOpen), never waited on; `reason`, when given, gets why a file could not be opened.
ConfigReadResult ReadConfigFile(const std::filesystem::path& path, LoadedConfig& loaded,
                                std::error_code* reason = nullptr);

// The same reading over a file's bytes already in memory; the same results and the same guarantee.
ConfigReadResult ReadConfigBytes(std::span<const std::uint8_t> bytes, LoadedConfig& loaded);

// Why a save refused to write, beside the system's own reasons. Each compares equal to the nearest std::errc.
enum class SaveRefusal {
    TableTooLarge = 1,  // the table claims more than it holds (value_too_large)
    NotAFile,  // the name is that of a folder, a device or a pipe (is_a_directory)
    FileWriteProtected,  // this user may not write or replace the file (permission_denied)
    FolderWriteProtected,  // this user may not make a file in its folder (permission_denied)
    NoFreeName,  // no unused name beside it for the new file (file_exists)
};
const std::error_category& SaveRefusalCategory();
std::error_code make_error_code(SaveRefusal refusal);

// Writes records 0 to ModuleCount-1 of `slots` to `path`, through the file toolkit's atomic replace: on any
// failure the old file is left untouched and `error` says why. A file this user may not write is never
// replaced, nor one whose owner marked it read-only (that holds even for an administrator, whom the system lets
// write anything); the new file takes the old one's permission bits. A symbolic link is saved through, to the
// file it names, and stays a link; a folder, a device or a pipe is refused (NotAFile).
bool SaveConfigFile(const std::filesystem::path& path, const SlotTable& slots, std::error_code& error);

// The extension rule of the file dialogs: ".kcf" is appended unless the file's name already ends in ".kcf"
// (in any case) after at least one other character.
std::string WithConfigExtension(const std::string& path);

// A path from the UTF-8 text that the window system and the terminal hand over.
std::filesystem::path PathFromUtf8(const std::string& text);

}  // namespace kelvane

template <>
struct std::is_error_code_enum<kelvane::SaveRefusal> : std::true_type {};
