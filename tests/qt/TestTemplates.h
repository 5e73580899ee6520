#pragma once

#include "ui/DialogTemplate.h"

namespace kelvane::ui::test {

// Control ids of the form below.
constexpr int kEdit = 10;
constexpr int kMemo = 11;
constexpr int kCombo = 12;
constexpr int kListBox = 13;
constexpr int kButton = 14;
constexpr int kCheck = 15;
constexpr int kSlider = 16;
constexpr int kProgress = 17;
constexpr int kTime = 18;
constexpr int kLabel = 19;
constexpr int kIcons = 20;
constexpr int kReportList = 21;
constexpr int kPicture = 22;
constexpr int kGroup = 23;
constexpr int kLine = 24;
constexpr int kIconButton = 25;
constexpr int kPassword = 26;
constexpr int kArea = 27;

// Artwork that only the tests' resources hold: a bitmap half red, half blue, twice as wide as it is high, and
// an icon, plain green, whose small variant is plain magenta.
constexpr int kTestBitmap = 9001;
constexpr int kTestIcon = 9002;
constexpr int kMissingArt = 9999;

// One of every kind of control.
inline DialogTemplate FormTemplate() {
    DialogTemplate t;
    t.id = 900;
    t.size = {300, 200};
    t.caption = "Form";
    t.controls = {
        {kLabel, ControlKind::Static, {6, 6, 60, 8}, "Name :", kVisible, {}, 0},
        {kEdit, ControlKind::Edit, {70, 4, 80, 12}, "", kVisible | kBorder | kTabStop, {}, 0},
        {kPassword, ControlKind::Edit, {160, 4, 60, 12}, "", kVisible | kBorder | kTabStop, {}, 0},
        {kMemo,
         ControlKind::Edit,
         {6, 20, 144, 36},
         "",
         kVisible | kBorder | kMultiLine | kVerticalScroll | kTabStop,
         {},
         0},
        {kCombo, ControlKind::ComboBox, {160, 20, 60, 60}, "", kVisible | kTabStop, {"QPSK", "16-QAM", "64-QAM"}, 0},
        {kListBox,
         ControlKind::ListBox,
         {226, 4, 68, 52},
         "",
         kVisible | kBorder | kVerticalScroll | kNotify | kTabStop,
         {"one", "two", "three"},
         0},
        {kButton, ControlKind::PushButton, {6, 60, 50, 14}, "Apply", kVisible | kTabStop, {}, 0},
        {kIconButton, ControlKind::PushButton, {60, 60, 28, 25}, "", kVisible | kTabStop, {}, kTestIcon},
        {kCheck, ControlKind::CheckBox, {96, 62, 70, 10}, "Remove CAT/EMM", kVisible | kTabStop, {}, 0},
        {kSlider, ControlKind::TrackBar, {170, 60, 124, 16}, "", kVisible | kTabStop, {}, 0},
        {kProgress, ControlKind::ProgressBar, {170, 80, 124, 7}, "", kVisible | kSmooth | kBorder, {}, 0},
        {kTime, ControlKind::TimePicker, {96, 76, 50, 12}, "", kVisible | kTabStop, {}, 0},
        {kGroup, ControlKind::GroupBox, {4, 90, 110, 104}, "Modules", kVisible, {}, 0},
        {kIcons,
         ControlKind::ListView,
         {8, 100, 102, 90},
         "",
         kVisible | kBorder | kLargeIcons | kSingleSelection | kNotify,
         {},
         0},
        {kReportList,
         ControlKind::ListView,
         {120, 100, 174, 60},
         "",
         kVisible | kBorder | kReport | kNoHeader | kGridLines | kFullRowSelect | kNotify,
         {},
         0},
        {kLine, ControlKind::EtchedLine, {120, 166, 174, 1}, "", kVisible, {}, 0},
        {kPicture, ControlKind::Picture, {120, 172, 40, 20}, "", kVisible | kNotify, {}, kTestBitmap},
        {kArea, ControlKind::DrawingArea, {170, 172, 124, 20}, "", kVisible, {}, 0},
    };
    return t;
}

// A panel to be placed inside another dialog's window.
inline DialogTemplate PanelTemplate() {
    DialogTemplate t;
    t.id = 901;
    t.size = {100, 40};
    t.child = true;
    t.controls = {
        {kEdit, ControlKind::Edit, {4, 4, 80, 12}, "", kVisible | kBorder | kTabStop, {}, 0},
    };
    return t;
}

}  // namespace kelvane::ui::test
