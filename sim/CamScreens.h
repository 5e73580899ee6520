#pragma once

#include "sim/CiBytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::sim {

// What the simulated CAM can show.
enum class CamScreen {
    Closed,
    MainMenu,
    ModuleInfo,  // list
    Rights,  // list
    PinQuestion,  // blind question
    WrongPin,  // notice
    Parental,  // menu, behind the PIN
    Settings,  // menu
    Languages,  // menu
    PostcodeQuestion,  // plain question
    PostcodeSaved,  // notice
    ResetRefused,  // notice
};

// What the operator has set on the CAM; some screens show it.
struct CamSettings {
    int parentalLevel = 3;  // an item of the parental menu
    int language = 1;  // an item of the language menu
    std::string postcode;
};

struct CamPage {
    enum class Kind { Menu, List, Question, Notice };
    Kind kind = Kind::Notice;
    std::string title;  // a question's prompt, a notice's text
    std::string subtitle;
    std::string bottom;
    std::vector<std::string> items;
    bool blind = false;
    std::uint8_t answerLength = 0;
};

CamPage PageOf(CamScreen screen, const CamSettings& settings);

// The page as one application object: menu_last or list_last with its texts, enq, or text_last.
ci::Bytes PageObject(const CamPage& page);

}  // namespace kelvane::sim
