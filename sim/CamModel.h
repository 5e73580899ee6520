#pragma once

#include "sim/CamScreens.h"
#include "sim/CiBytes.h"

#include <span>
#include <string_view>
#include <vector>

namespace kelvane::sim {

// How a CAM may misbehave, for fault runs.
struct CamQuirks {
    bool endlessQuestions = false;  // every answer or cancel earns another question, without end
    bool oversizedMenu = false;  // its main menu is one packet longer than any buffer of the host
};

// A conditional-access module as its man-machine interface shows it: a main menu with sub-menus, lists, a PIN
// question typed blind, a plain question and notices (CamScreens.cpp). It hears session packets from the host
// (enter_menu on the application-information session, menu_answ and answ on the MMI session) and answers with
// session packets: display_control and the main menu when the MMI opens, the next screen after each choice or
// answer, close_mmi and the session's close request when the operator leaves the main menu.
class CamModel {
public:
    static constexpr std::string_view kPin = "1234";
    // The title of the oversized main menu: longer than the 4 KB a host gathers a packet in.
    static constexpr std::size_t kOversizedTitle = 6000;

    explicit CamModel(CamQuirks quirks = {}) : quirks_(quirks) {}

    // What a CAM announces once it has started: its application information.
    std::vector<ci::Bytes> Boot() const;

    // Acts on one session packet from the host; the session packets the CAM answers with, none when it has
    // nothing to say.
    std::vector<ci::Bytes> Receive(std::span<const std::uint8_t> sessionPacket);

    CamScreen Current() const { return screen_; }
    bool MmiOpen() const { return screen_ != CamScreen::Closed; }
    const CamSettings& Settings() const { return settings_; }

private:
    std::vector<ci::Bytes> Act(std::uint16_t session, std::uint32_t tag, std::span<const std::uint8_t> body);
    std::vector<ci::Bytes> EnterMenu();
    std::vector<ci::Bytes> MenuAnswer(int choice);
    std::vector<ci::Bytes> Answer(std::span<const std::uint8_t> body);
    std::vector<ci::Bytes> Go(CamScreen next);
    std::vector<ci::Bytes> CloseMmi();

    CamQuirks quirks_;
    CamScreen screen_ = CamScreen::Closed;
    CamSettings settings_;
};

}  // namespace kelvane::sim
