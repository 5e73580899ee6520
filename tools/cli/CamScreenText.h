#pragma once

#include "cam/MmiEvents.h"

#include <span>
#include <string>
#include <vector>

namespace kelvane {

// What the CAM shows, gathered from its MMI events and written as plain text for a terminal: a menu with
// numbered items (the numbers to give as choices), a list, a question, a text on its own, and the objects the
// program does not treat. Texts that follow a menu, list or question belong to it, by the same layout as the
// CAM menu's list box. Whether a question waits for its answer is the dialogue's to know (CamDialogue).
class CamScreenText {
public:
    // Takes the events of one exchange; true when they showed anything.
    bool Take(std::span<const MmiEvent> events);

    // The text of everything shown since the last call, and forgets it.
    std::string Flush();

private:
    enum class Kind { None, Menu, List, Question, Text };

    void Start(Kind kind);
    // Writes out what was gathered of the screen on show.
    void Write();

    Kind kind_ = Kind::None;
    std::vector<std::string> lines_;
    bool blind_ = false;
    int answerLength_ = 0;
    // The CAM's closing was written, and nothing shown since.
    bool closed_ = false;
    std::string written_;
};

}  // namespace kelvane
