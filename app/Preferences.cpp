#include "app/Preferences.h"

#include "app/MessageCatalogue.h"
#include "platform/FileToolkit.h"

#include <array>
#include <limits>
#include <string_view>
#include <system_error>

namespace kelvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kCodeLength = 2;

// No more than a byte-order mark and a code is ever read, however large the file, so its size needs no limit.
constexpr std::size_t kStartLength = kByteOrderMark.size() + kCodeLength;
constexpr std::uintmax_t kAnySize = std::numeric_limits<std::uintmax_t>::max();

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
    RegularFileReader file;
    std::error_code error;
    if (!file.Open(applicationDirectory / "pref.txt", kAnySize, error)) {
        return kGerman;
    }
    std::array<std::uint8_t, kStartLength> start{};
    std::size_t got = 0;
    for (std::size_t more = 1; more > 0 && got < start.size(); got += more) {
        more = file.Read(std::span(start).subspan(got), error);
    }
    return LanguageOfCode(LeadingCode({reinterpret_cast<const char*>(start.data()), got}));
}

std::filesystem::path CurrentApplicationDirectory() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : directory;
}

}  // namespace kelvane
