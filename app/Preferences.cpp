#include "app/Preferences.h"

#include "app/MessageCatalogue.h"

#include <array>
#include <fstream>
#include <string_view>
#include <system_error>

namespace kelvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kCodeLength = 2;

// No more than a byte-order mark and a code is ever read, however large the file.
using StartBuffer = std::array<char, kByteOrderMark.size() + kCodeLength>;

struct LanguageCode {
    std::string_view code;
    int language;
};

constexpr std::array<LanguageCode, 4> kLanguageCodes{{
    {"EN", kEnglish},
    {"FR", kFrench},
    {"IT", kItalian},
    {"DE", kGerman},
}};

std::string_view ReadStart(std::ifstream& file, StartBuffer& buffer) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return {buffer.data(), static_cast<std::size_t>(file.gcount())};
}

// The first two characters of the file after any byte-order mark. A first line shorter than that brings its
// line end into the two, and no code holds one, so the line needs no cutting.
std::string_view LeadingCode(std::string_view start) {
    if (start.starts_with(kByteOrderMark)) {
        start.remove_prefix(kByteOrderMark.size());
    }
    return start.substr(0, kCodeLength);
}

int LanguageOfCode(std::string_view code) {
    for (const LanguageCode& known : kLanguageCodes) {
        if (code == known.code) {
            return known.language;
        }
    }
    return kGerman;
}

}  // namespace

int ReadLanguagePreference(const std::filesystem::path& applicationDirectory) {
    std::ifstream file(applicationDirectory / "pref.txt", std::ios::binary);
    if (!file) {
        return kGerman;
    }
    StartBuffer buffer{};
    return LanguageOfCode(LeadingCode(ReadStart(file, buffer)));
}

std::filesystem::path CurrentApplicationDirectory() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : directory;
}

}  // namespace kelvane
