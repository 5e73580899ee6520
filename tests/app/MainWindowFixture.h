#pragma once

// The main window on the headless window system, with stand-in panels and a scripted rack on port 0.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "link/Xmit.h"
#include "res/ResourceIds.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/ScriptedPort.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kelvane {

using test::Bytes;
using test::ReplyFrame;
using test::ScriptedPort;

inline ScriptedPort::Reaction Accept(const Bytes& payload) { return {ReplyFrame(0xF0, payload)}; }
inline ScriptedPort::Reaction Identity(std::uint8_t version, std::uint8_t state = 0) { return Accept({0x77, state, version}); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        main = std::make_unique<CKelvaneDlg>(windows, link, "/nonexistent",
                                             std::make_unique<test::StandInModulePanel>(windows, calls),
                                             std::make_unique<test::StandInCamMenu>(windows, calls));
        main->Create();
        window = windows.Find(res::kMainDialog);
    }

    // A rack on port 0 answering the discovery exchanges with the given script (after the search's probe).
    void RackAnswers(std::deque<ScriptedPort::Reaction> script) {
        script.push_front(Identity(14));
        ports.Install(0, std::move(script));
    }

    std::string Label(int row) const { return window->Cell(res::kModuleList, row, 0).text; }
    int Image(int row) const { return window->Cell(res::kModuleList, row, 0).image; }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
    std::vector<test::PanelCall> calls;
    std::unique_ptr<CKelvaneDlg> main;
    ui::HeadlessDialog* window = nullptr;
};

}  // namespace kelvane
