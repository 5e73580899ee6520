#include "app/MessageCatalogue.h"

#include "app/TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {
namespace {

constexpr int kLanguages[] = {kEnglish, kFrench, kItalian, kGerman};

// Every placeholder of a text as written ("%d", "%06X"), "%%" excluded. A '%' that starts no placeholder the
// program fills is kept as "%?" so that it shows up in a comparison.
std::vector<std::string> Placeholders(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at)) {
        if (at + 1 < text.size() && text[at + 1] == '%') {
            at += 2;
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        const bool known = end < text.size() && std::string_view("dsuxX").find(text[end]) != std::string_view::npos;
        found.push_back(known ? std::string(text.substr(at, end + 1 - at)) : "%?");
        at = end;
    }
    return found;
}

// How many continuation bytes follow a lead byte, or -1 for a byte that cannot start a character.
int ContinuationBytes(unsigned char lead) {
    if (lead < 0x80) {
        return 0;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 1;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 2;
    }
    return (lead & 0xF8) == 0xF0 ? 3 : -1;
}

// Strict UTF-8 decoding: no overlong forms, no surrogates, nothing above U+10FFFF.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> codePoints;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const int extra = ContinuationBytes(lead);
        if (extra < 0 || text.size() - at <= static_cast<std::size_t>(extra)) {
            return std::nullopt;
        }
        char32_t codePoint = static_cast<char32_t>(extra == 0 ? lead : lead & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return std::nullopt;
        }
        codePoints.push_back(codePoint);
        at += static_cast<std::size_t>(extra) + 1;
    }
    return codePoints;
}

// Printable Latin-1, the letters the operators' languages need, or the line end of a two-line text.
bool IsLatin1TextOrLineEnd(char32_t codePoint) {
    const bool lineEnd = codePoint == U'\r' || codePoint == U'\n';
    return lineEnd || (codePoint >= 0x20 && codePoint <= 0x7E) || (codePoint >= 0xA0 && codePoint <= 0xFF);
}

std::size_t LeadingBlanks(std::string_view text) { return std::min(text.find_first_not_of(' '), text.size()); }

std::string_view TrailingWhitespace(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \r\n");
    return last == std::string_view::npos ? text : text.substr(last + 1);
}

// One argument of the right kind for each placeholder.
std::vector<FormatArg> ArgumentsFor(const std::vector<std::string>& placeholders) {
    std::vector<FormatArg> args;
    for (const std::string& placeholder : placeholders) {
        args.push_back(placeholder.back() == 's' ? FormatArg("name") : FormatArg(7));
    }
    return args;
}

class MessageCatalogue : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageIndex(saved_); }

private:
    int saved_ = LanguageIndex();
};

TEST_F(MessageCatalogue, EveryMessageHasTextInEveryLanguage) {
    for (int id = 0; id < kMessageCount; ++id) {
        for (int language : kLanguages) {
            EXPECT_FALSE(MessageText(id, language).empty()) << "message " << id << ", language " << language;
        }
    }
}

TEST_F(MessageCatalogue, TranslationsKeepThePlaceholdersInOrder) {
    for (int id = 0; id < kMessageCount; ++id) {
        const std::vector<std::string> english = Placeholders(MessageText(id, kEnglish));
        for (int language : kLanguages) {
            EXPECT_EQ(Placeholders(MessageText(id, language)), english)
                << "message " << id << ", language " << language;
        }
    }
}

TEST_F(MessageCatalogue, EveryTextFillsCompletelyWithArgumentsOfItsPlaceholders) {
    int placeholdersSeen = 0;
    for (int id = 0; id < kMessageCount; ++id) {
        for (int language : kLanguages) {
            const std::string text = MessageText(id, language);
            const std::vector<std::string> placeholders = Placeholders(text);
            placeholdersSeen += static_cast<int>(placeholders.size());
            const std::string filled = FormatText(text, ArgumentsFor(placeholders));
            EXPECT_EQ(filled.find('%'), std::string::npos) << "message " << id << ", language " << language;
        }
    }
    EXPECT_GT(placeholdersSeen, 0);
}

TEST_F(MessageCatalogue, TranslationsKeepTheBlanksThatJoinTextsTogether) {
    for (int id = 0; id < kMessageCount; ++id) {
        const std::string english = MessageText(id, kEnglish);
        for (int language : kLanguages) {
            const std::string text = MessageText(id, language);
            EXPECT_EQ(LeadingBlanks(text), LeadingBlanks(english)) << "message " << id << ", language " << language;
            EXPECT_EQ(TrailingWhitespace(text), TrailingWhitespace(english))
                << "message " << id << ", language " << language;
        }
    }
}

TEST_F(MessageCatalogue, TextsAreValidUtf8OfLatin1Letters) {
    for (int id = 0; id < kMessageCount; ++id) {
        for (int language : kLanguages) {
            const std::string text = MessageText(id, language);
            const std::optional<std::vector<char32_t>> codePoints = DecodeUtf8(text);
            ASSERT_TRUE(codePoints.has_value()) << "message " << id << ", language " << language;
            for (char32_t codePoint : *codePoints) {
                EXPECT_TRUE(IsLatin1TextOrLineEnd(codePoint)) << "message " << id << ", language " << language << ": U+"
                                                              << std::hex << static_cast<std::uint32_t>(codePoint);
                // A twice-encoded accent ("Ã©" for "é") is the typical damage of a wrong source encoding.
                EXPECT_NE(codePoint, U'\u00C3') << "message " << id << ", language " << language;
            }
        }
    }
}

TEST_F(MessageCatalogue, TellingRows) {
    struct Row {
        int id;
        int language;
        const char* text;
    };
    const Row rows[] = {
        {0, kFrench, "SansNom"},
        {0, kItalian, "SenzaNome"},
        {0, kGerman, "KeinName"},
        {1, kFrench, "N\u00B0 flux : %d"},
        {22, kFrench, "M.a.j. module %d (%s) vers version %d.%d\r\n"},
        {22, kItalian, "Aggiornamento del modulo %d (%s) alla versione V%d.%d\r\n"},
        {22, kGerman, "Update des Moduls %d (%s) auf die Version V%d.%d\r\n"},
        {25, kFrench, "Ecriture, ATTENDRE ET NE PAS METTRE HORS TENSION..."},
        {25, kItalian, "Scrittura, ATTENDERE E NON SPEGNERE L'UNIT\u00C0..."},
        {25, kGerman, "Schreiben, WARTEN UND DAS GER\u00C4T NICHT VOM NETZ NEHMEN..."},
        {27, kFrench, "Recherche..."},
        {27, kItalian, "Ricerca in corso..."},
        {27, kGerman, "Suche..."},
        {30, kFrench, "Mat\u00E9riel non trouv\u00E9..."},
        {30, kItalian, "Unit\u00E0 non riconosciuta..."},
        {30, kGerman, "Modul nicht gefunden..."},
        {33, kFrench, "Module Entr\u00E9e ET Sortie requis"},
        {33, kItalian, "Configurazione richiesto per moduli d'ingresso e d'uscita."},
        {33, kGerman, "Konfiguration der Eingangs und Ausgangsmodule erforderlich."},
        {53, kFrench, "SERV."},
        {53, kItalian, "Serv."},
        {54, kFrench, "NOM PROGRAMME"},
        {54, kItalian, "Programma"},
        {57, kFrench, "Chaine"},
        {65, kFrench, "L.B. 1"},
        {65, kItalian, "L.B. 1"},
        {66, kFrench, "L.B. 2"},
        {66, kItalian, "L.B. 2"},
        {67, kFrench, "L.B. 3"},
        {67, kItalian, "L.B. 3"},
        {68, kFrench, "L.B. 4"},
        {68, kItalian, "L.B. 4"},
        {70, kFrench, "Qualit\u00E9"},
        {70, kItalian, "Qualit\u00E0"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MessageText(row.id, row.language), row.text) << "message " << row.id << ", language " << row.language;
    }
}

TEST_F(MessageCatalogue, RowsKeptInEnglish) {
    struct Row {
        int id;
        int language;
    };
    const Row rows[] = {{1, kItalian}, {1, kGerman},  {53, kGerman}, {54, kGerman}, {57, kItalian}, {57, kGerman},
                        {65, kGerman}, {66, kGerman}, {67, kGerman}, {68, kGerman}, {70, kGerman}};
    for (const Row& row : rows) {
        EXPECT_EQ(MessageText(row.id, row.language), MessageText(row.id, kEnglish))
            << "message " << row.id << ", language " << row.language;
    }
    EXPECT_EQ(MessageText(1, kEnglish), "Sat. Transport Stream ID. : %d");
    EXPECT_EQ(MessageText(70, kEnglish), "S.N.R.");
}

TEST_F(MessageCatalogue, EnglishTextsKeepTheirBlanksAndLineEnd) {
    EXPECT_EQ(MessageText(20, kEnglish), "Guard Int. ");
    EXPECT_EQ(MessageText(8, kEnglish), "  B.I.S. Frequency : %dMHz");
    EXPECT_EQ(MessageText(36, kEnglish), "Configuration saved into ");
    EXPECT_EQ(MessageText(22, kEnglish), "Updating module %d (%s) to release V%d.%d\r\n");
}

TEST_F(MessageCatalogue, LookupFollowsTheLanguageIndex) {
    for (int language : kLanguages) {
        ASSERT_TRUE(SetLanguageIndex(language));
        EXPECT_EQ(LanguageIndex(), language);
        for (int id = 0; id < kMessageCount; ++id) {
            EXPECT_EQ(MessageText(id), MessageText(id, language)) << "message " << id << ", language " << language;
        }
    }
    ASSERT_TRUE(SetLanguageIndex(kGerman));
    EXPECT_EQ(MessageText(27), "Suche...");
    ASSERT_TRUE(SetLanguageIndex(kEnglish));
    EXPECT_EQ(MessageText(20), "Guard Int. ");
}

TEST_F(MessageCatalogue, FrenchFirmwareHeaderHasNoVBeforeTheVersion) {
    ASSERT_TRUE(SetLanguageIndex(kFrench));
    const std::string header = FormatText(MessageText(22), {3, "KXD410", 1, 4});
    EXPECT_TRUE(header.ends_with(" version 1.4\r\n")) << header;
    EXPECT_EQ(header, "M.a.j. module 3 (KXD410) vers version 1.4\r\n");
}

TEST_F(MessageCatalogue, OutOfRangeLanguagesAreRefused) {
    EXPECT_EQ(LanguageIndex(), kGerman) << "German until start-up chooses";
    EXPECT_FALSE(SetLanguageIndex(4));
    EXPECT_FALSE(SetLanguageIndex(-1));
    EXPECT_EQ(LanguageIndex(), kGerman);
    ASSERT_TRUE(SetLanguageIndex(kItalian));
    EXPECT_FALSE(SetLanguageIndex(INT_MAX));
    EXPECT_EQ(LanguageIndex(), kItalian) << "a refused index changes nothing";
}

TEST_F(MessageCatalogue, IdsAndLanguagesOutsideTheTableGiveEmptyText) {
    for (int id : {-1, kMessageCount, kMessageCount * kLanguageCount, INT_MIN, INT_MAX}) {
        EXPECT_EQ(MessageText(id), "") << "message " << id;
        for (int language : kLanguages) {
            EXPECT_EQ(MessageText(id, language), "") << "message " << id << ", language " << language;
        }
    }
    for (int language : {-1, kLanguageCount, INT_MIN, INT_MAX}) {
        EXPECT_EQ(MessageText(0, language), "") << "language " << language;
        EXPECT_EQ(MessageText(kMessageCount - 1, language), "") << "language " << language;
    }
    EXPECT_FALSE(MessageText(kMessageCount - 1, kGerman).empty()) << "the last id is inside";
}

}  // namespace
}  // namespace kelvane
