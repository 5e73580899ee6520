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
    return Window(
        900, {300, 200}, "Form",
        {
            Caption(kLabel, {6, 6, 60, 8}, "Name :"),
            Edit(kEdit, {70, 4, 80, 12}),
            Edit(kPassword, {160, 4, 60, 12}),
            Edit(kMemo, {6, 20, 144, 36}, kVisible | kBorder | kMultiLine | kVerticalScroll | kTabStop),
            ComboBox(kCombo, {160, 20, 60, 60}, {"QPSK", "16-QAM", "64-QAM"}, kVisible | kTabStop),
            ListBox(kListBox, {226, 4, 68, 52}, kListBoxStyle, {"one", "two", "three"}),
            Button(kButton, {6, 60, 50, 14}, "Apply"),
            IconButton(kIconButton, {60, 60, 28, 25}, kTestIcon),
            CheckBox(kCheck, {96, 62, 70, 10}, "Remove CAT/EMM"),
            Plain(kSlider, ControlKind::TrackBar, {170, 60, 124, 16}),
            ProgressBar(kProgress, {170, 80, 124, 7}),
            Plain(kTime, ControlKind::TimePicker, {96, 76, 50, 12}),
            GroupBox(kGroup, {4, 90, 110, 104}, "Modules"),
            ListView(kIcons, {8, 100, 102, 90}, kVisible | kBorder | kLargeIcons | kSingleSelection | kNotify),
            ListView(kReportList, {120, 100, 174, 60},
                     kVisible | kBorder | kReport | kNoHeader | kGridLines | kFullRowSelect | kNotify),
            Plain(kLine, ControlKind::EtchedLine, {120, 166, 174, 1}),
            Picture(kPicture, {120, 172, 40, 20}, kTestBitmap, kVisible | kNotify),
            Plain(kArea, ControlKind::DrawingArea, {170, 172, 124, 20}),
        });
}

// A panel to be placed inside another dialog's window.
inline DialogTemplate PanelTemplate() { return ChildPanel(901, {100, 40}, {Edit(kEdit, {4, 4, 80, 12})}); }

}  // namespace kelvane::ui::test
