// pref.txt as the operator's editor may have left it, read from a private temporary folder made once.

#include "app/MessageCatalogue.h"
#include "app/Preferences.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/PrivateFolder.h"

#include <filesystem>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    {
        std::ofstream out(fuzz::PrivateFolder() / "pref.txt", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const int language = ReadLanguagePreference(fuzz::PrivateFolder());
    fuzz::Require(language >= kEnglish && language <= kGerman, "the language is one of the catalogue's");
    return 0;
}
