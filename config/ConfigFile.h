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
    CannotOpen,      // missing, unreadable, or not a plain file
    TooManyRecords,  // more records than the slot table holds
    RecordTooLong,   // an image longer than a record's buffer
    Truncated,       // the file ends inside a record
};

// Reads a whole configuration file: records of a type byte, a big-endian length and that many image bytes,
// back to back to the end of the file. Anything but Read leaves `loaded` exactly as it was, so that a
// damaged file can never be uploaded with bytes it does not hold.
ConfigReadResult ReadConfigFile(const std::filesystem::path& path, LoadedConfig& loaded);

// The same reading over a file's bytes already in memory; the same results and the same guarantee.
ConfigReadResult ReadConfigBytes(std::span<const std::uint8_t> bytes, LoadedConfig& loaded);

// Writes records 0 to ModuleCount-1 of `slots` to `path`. The records go to a new file beside it, which
// replaces the old one only once it is wholly on the disk: on any failure the old file is left untouched
// and `error` says why.
bool SaveConfigFile(const std::filesystem::path& path, const SlotTable& slots, std::error_code& error);

// The extension rule of the file dialogs: ".kcf" is appended unless the file's name already ends in ".kcf"
// (in any case) after at least one other character.
std::string WithConfigExtension(const std::string& path);

// A path from the UTF-8 text that the window system and the terminal hand over.
std::filesystem::path PathFromUtf8(const std::string& text);

}  // namespace kelvane
