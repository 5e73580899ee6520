#pragma once

#include "app/MessageIds.h"

#include <string>

namespace kelvane {

// Every text the program composes at run time, in four languages. Texts are UTF-8; some hold printf-style
// placeholders (%d, %s, %06X) that callers fill with FormatText (app/TextFormat.h), never with printf.
constexpr int kMessageCount = 189;

enum Language : int {
    kEnglish = 0,
    kFrench = 1,
    kItalian = 2,
    kGerman = 3,
};
constexpr int kLanguageCount = 4;

// The operator's language for the whole program: German until start-up has read the preferences file.
// An index outside 0..3 is refused (false) and the language stays as it was, so a bad value can never turn
// into some other language by clamping.
bool SetLanguageIndex(int language);
int LanguageIndex();

// The text of message `id` in the current language.
std::string MessageText(int id);

// The text of message `id` in `language`. An id outside 0..kMessageCount - 1 or a language outside 0..3 gives an empty
// string rather than reading past the table.
std::string MessageText(int id, int language);

// The two-letter code of a language ("en", "fr", "it", "de"), for the texts that come from elsewhere.
std::string LanguageCode(int language);

}  // namespace kelvane
