#include "sim/CamScreens.h"

namespace kelvane::sim {
namespace {

const std::vector<std::string> kParentalLevels{"Tout public", "Déconseillé aux moins de 10 ans",
                                               "Déconseillé aux moins de 12 ans", "Déconseillé aux moins de 16 ans",
                                               "Interdit aux moins de 18 ans"};
const std::vector<std::string> kLanguages{"Français", "Deutsch", "English", "Italiano", "Español"};

const std::string& Pick(const std::vector<std::string>& names, int item) {
    return names.at(static_cast<std::size_t>(item - 1));
}

CamPage Menu(std::string title, std::string subtitle, std::string bottom, std::vector<std::string> items) {
    return {CamPage::Kind::Menu, std::move(title), std::move(subtitle), std::move(bottom), std::move(items), false, 0};
}

CamPage List(std::string title, std::string subtitle, std::vector<std::string> items) {
    CamPage page = Menu(std::move(title), std::move(subtitle), "OK pour revenir au menu", std::move(items));
    page.kind = CamPage::Kind::List;
    return page;
}

CamPage Question(std::string prompt, bool blind, std::uint8_t answerLength) {
    return {CamPage::Kind::Question, std::move(prompt), {}, {}, {}, blind, answerLength};
}

CamPage Notice(std::string text) { return {CamPage::Kind::Notice, std::move(text), {}, {}, {}, false, 0}; }

CamPage MainMenu() {
    return Menu("KryptaVision - Module CA", "Menu principal", "Choisissez une rubrique et validez par OK",
                {"Informations sur le module", "Droits d'accès", "Contrôle parental", "Réglages"});
}

CamPage ModuleInfo() {
    return List("Informations sur le module", "KryptaVision CAM 3.12",
                {"Numéro de série : 0417 2210 9356", "Système d'accès : 4AE1", "Carte à puce : présente, active",
                 "Logiciel : 3.12 du 04/05/2011", "Fabricant : KryptaVision Électronique"});
}

CamPage Rights() {
    return List("Droits d'accès", "Carte n° 0417 2210 9356",
                {"Découverte : valide jusqu'au 31/12/2025", "Cinéma Première : expiré le 15/03/2024",
                 "Sport Europe : valide jusqu'au 30/06/2025", "Jeunesse & Famille : valide jusqu'au 31/08/2025"});
}

}  // namespace

CamPage PageOf(CamScreen screen, const CamSettings& settings) {
    switch (screen) {
    case CamScreen::MainMenu: return MainMenu();
    case CamScreen::ModuleInfo: return ModuleInfo();
    case CamScreen::Rights: return Rights();
    case CamScreen::PinQuestion: return Question("Code PIN de la carte (4 chiffres) :", true, 4);
    case CamScreen::WrongPin: return Notice("Code PIN incorrect !");
    case CamScreen::Parental:
        return Menu("Contrôle parental", "Niveau actuel : " + Pick(kParentalLevels, settings.parentalLevel),
                    "Choisissez le niveau autorisé", kParentalLevels);
    case CamScreen::Settings:
        return Menu("Réglages", "Paramètres du module", "Choisissez un réglage et validez par OK",
                    {"Langue des menus", "Code postal de la région", "Réinitialiser le module"});
    case CamScreen::Languages:
        return Menu("Langue des menus", "Langue actuelle : " + Pick(kLanguages, settings.language),
                    "Choisissez une langue", kLanguages);
    case CamScreen::PostcodeQuestion: return Question("Code postal de la région (5 chiffres) :", false, 5);
    case CamScreen::PostcodeSaved: return Notice("Code postal enregistré : " + settings.postcode);
    case CamScreen::ResetRefused: return Notice("Réinitialisation refusée : carte en service");
    case CamScreen::Closed: break;
    }
    return Notice("");
}

ci::Bytes PageObject(const CamPage& page) {
    switch (page.kind) {
    case CamPage::Kind::Menu:
    case CamPage::Kind::List: {
        ci::Bytes body{static_cast<std::uint8_t>(page.items.size())};
        for (const std::string* text : {&page.title, &page.subtitle, &page.bottom}) {
            const ci::Bytes object = ci::TextLast(*text);
            body.insert(body.end(), object.begin(), object.end());
        }
        for (const std::string& item : page.items) {
            const ci::Bytes object = ci::TextLast(item);
            body.insert(body.end(), object.begin(), object.end());
        }
        return ci::Object(page.kind == CamPage::Kind::Menu ? ci::kMenuLastTag : ci::kListLastTag, body);
    }
    case CamPage::Kind::Question: {
        ci::Bytes body{static_cast<std::uint8_t>(page.blind ? 1 : 0), page.answerLength};
        const ci::Bytes prompt = ci::Latin1(page.title);
        body.insert(body.end(), prompt.begin(), prompt.end());
        return ci::Object(ci::kEnqTag, body);
    }
    case CamPage::Kind::Notice: break;
    }
    return ci::TextLast(page.title);
}

}  // namespace kelvane::sim
