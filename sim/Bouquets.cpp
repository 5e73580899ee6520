#include "sim/Bouquets.h"

#include <array>

namespace kelvane::sim {
namespace {

// Names are Latin-1 byte strings, as satellites broadcast them. 0x86 and 0x87 switch emphasis on and off
// around a word, 0xAD is a soft hyphen and a 0x22 quote stands where an apostrophe is meant: the program
// has to cope with all of them. Literals are split where a letter after an escape would read as a hex digit.

constexpr std::array kSpanish{
    BouquetEntry{"Canal Monta\xF1"
                 "a",
                 false, false},  // Canal Montaña
    BouquetEntry{"\x86"
                 "Cine\x87 Estrella",
                 false, true},  // Cine (emphasised) Estrella
    BouquetEntry{"Tele\xF1ino", false, false},  // Teleñino
    BouquetEntry{"Deportes Ol\xE9", false, true},  // Deportes Olé
    BouquetEntry{"Noticias 24h", false, false},
    BouquetEntry{"Radio Andaluc\xED"
                 "a",
                 true, false},  // Radio Andalucía
    BouquetEntry{"Onda M\xFAsica", true, false},  // Onda Música
};

constexpr std::array kFrench{
    BouquetEntry{"T\xE9l\xE9 Lumi\xE8re", false, false},  // Télé Lumière
    BouquetEntry{"\x86"
                 "Canal\x87 \xC9toile",
                 false, true},  // Canal (emphasised) Étoile
    BouquetEntry{"Cin\xE9\xAD"
                 "Club",
                 false, true},  // Ciné-Club, with a soft hyphen
    BouquetEntry{"M\xE9t\xE9o 24", false, false},  // Météo 24
    BouquetEntry{"\x86Sport\x87 \xC9lan", false, true},  // Sport (emphasised) Élan
    BouquetEntry{"Jeunesse \xC9t\xE9", false, false},  // Jeunesse Été
    BouquetEntry{"Radio \"Azur\"", true, false},
    BouquetEntry{"France M\xE9lodie", true, false},  // France Mélodie
    BouquetEntry{"\xC9"
                 "cho FM",
                 true, false},  // Écho FM
};

constexpr std::array kGerman{
    BouquetEntry{"S\xFC"
                 "dwest Fernsehen",
                 false, false},  // Südwest Fernsehen
    BouquetEntry{"\x86Kino\x87 Pr\xE4mie", false, true},  // Kino (emphasised) Prämie
    BouquetEntry{"B\xFChne & Kultur", false, false},  // Bühne & Kultur
    BouquetEntry{"\x86"
                 "Fu\xDF"
                 "ball\x87 Live",
                 false, true},  // Fußball (emphasised) Live
    BouquetEntry{"Nachrichten 24", false, false},
    BouquetEntry{"M\xFCnchner Welle", true, false},  // Münchner Welle
    BouquetEntry{"Radio Gr\xFCnwald", true, false},  // Radio Grünwald
};

constexpr std::array kItalian{
    BouquetEntry{"Citt\xE0 Nostra", false, false},  // Città Nostra
    BouquetEntry{"Telegiornale S\xEC", false, false},  // Telegiornale Sì
    BouquetEntry{"\x86"
                 "Calcio\x87 Pi\xF9",
                 false, true},  // Calcio (emphasised) Più
    BouquetEntry{"Cinema Cos\xEC", false, true},  // Cinema Così
    BouquetEntry{"Radio Libert\xE0", true, false},  // Radio Libertà
    BouquetEntry{"Pi\xF9 Musica", true, false},  // Più Musica
};

const std::array<Bouquet, 4> kBouquets{
    Bouquet{0x013E, kSpanish},
    Bouquet{0x0001, kFrench},
    Bouquet{0x0085, kGerman},
    Bouquet{0x0110, kItalian},
};

// Transponders sit some 15 MHz apart or more; each step moves to the next bouquet.
constexpr int kTransponderSpacingMHz = 15;

}  // namespace

std::size_t BouquetIndexFor(int frequencyMHz) {
    const auto slot = static_cast<unsigned>(frequencyMHz < 0 ? -frequencyMHz : frequencyMHz) / kTransponderSpacingMHz;
    return slot % kBouquets.size();
}

const Bouquet& BouquetAt(std::size_t index) { return kBouquets[index % kBouquets.size()]; }

}  // namespace kelvane::sim
