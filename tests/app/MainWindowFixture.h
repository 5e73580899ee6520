#pragma once

// The main window on the headless window system, with stand-in panels and a scripted rack on port 0.

#include "app/MessageCatalogue.h"
#include "tests/app/StandInProgram.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace kelvane {

using test::Accept;
using test::Bytes;
using test::Identity;
using test::ReplyFrame;
using test::ScriptedPort;

class MainWindowTest : public ::testing::Test, protected test::StandInProgram {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        Open();
    }

    // A rack on port 0 answering the discovery exchanges with the given script (after the search's probe).
    void RackAnswers(std::deque<ScriptedPort::Reaction> script) {
        script.push_front(Identity(14));
        ports.Install(0, std::move(script));
    }

    std::string Label(int row) const { return window->Cell(res::kModuleList, row, 0).text; }
    int Image(int row) const { return window->Cell(res::kModuleList, row, 0).image; }
};

}  // namespace kelvane
