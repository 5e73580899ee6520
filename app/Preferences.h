#pragma once

#include <filesystem>

namespace kelvane {

// The language chosen in "pref.txt" of the application directory, as a catalogue language index
// (app/MessageCatalogue.h). Only the first two characters of the first line count, compared exactly:
// "EN", "FR", "IT" or "DE". Anything else, and a missing or unreadable file, gives German without complaint.
// A UTF-8 byte-order mark before them is skipped, since Windows editors put one there.
int ReadLanguagePreference(const std::filesystem::path& applicationDirectory);

// The directory the program works in: the process's current directory at the time of the call, or an empty
// path (which names the same directory to every file operation) when it cannot be read.
std::filesystem::path CurrentApplicationDirectory();

}  // namespace kelvane
