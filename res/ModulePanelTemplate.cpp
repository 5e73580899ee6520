#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

// The module panel: inputs on the left with the player and its schedule below them, the output on the right,
// the service list across the bottom with its rate bar. Dialog units; 414 × 338 fills the panel area.
namespace kelvane::res {
namespace {

using namespace ui;
using namespace panel;

constexpr std::uint32_t kNumberStyle = kEditStyle | kNumbersOnly;
constexpr int kEditHeight = 11;
constexpr int kComboDropHeight = 70;

const std::vector<std::string> kCodeRates{"1/2", "2/3", "3/4", "5/6", "7/8"};

// The panel's rows: captions sit two units below the top of the edit or box they name, as do the bars.
class Layout {
public:
    explicit Layout(DialogTemplate& t) : t_(t) {}
    void Label(int id, int x, int y, int w, const std::string& caption, std::uint32_t extra = 0) {
        Add(Caption(id, {x, y + 2, w, 9}, caption, kVisible | extra));
    }
    void Edit(int id, int x, int y, int w, std::uint32_t style = kNumberStyle) {
        Add(ui::Edit(id, {x, y, w, kEditHeight}, style));
    }
    void Combo(int id, int x, int y, int w, const std::vector<std::string>& items) {
        Add(ComboBox(id, {x, y, w, kComboDropHeight}, items));
    }
    void Bar(int id, int x, int y, int w, int h = 7) { Add(ProgressBar(id, {x, y + 2, w, h})); }
    void Add(ControlTemplate control) { t_.controls.push_back(std::move(control)); }

private:
    DialogTemplate& t_;
};

// Label, edit and unit columns of the input area.
// The caption before the code-rate (or polarity) box has room for the longest language's word.
constexpr int kInLabelX = 12, kInEditX = 40, kInEditW = 38, kInUnitX = 80, kInFecLabelX = 97, kInFecX = 146;
// The level and S.N.R. bars, their numbers, and the history button at the area's right edge.
constexpr int kInBarW = 96, kInNumberX = 138;

void InputRows(Layout& l, int y, bool rowB) {
    l.Label(rowB ? kFreqLabelB : kFreqLabelA, kInLabelX, y, 26, "Freq. :");
    l.Edit(rowB ? kFreqB : kFreqA, kInEditX, y, kInEditW);
    l.Label(rowB ? kMhzLabelB : kMhzLabelA, kInUnitX, y, kInFecLabelX - kInUnitX - 1, "MHz");
    l.Label(rowB ? kFecLabelB : kFecLabelA, kInFecLabelX, y, kInFecX - kInFecLabelX - 1, "F.E.C. :");
    l.Combo(rowB ? kFecB : kFecA, kInFecX, y, 30, kCodeRates);
    l.Label(rowB ? kSymbolRateLabelB : kSymbolRateLabelA, kInLabelX, y + 13, 26, "S.R. :");
    l.Edit(rowB ? kSymbolRateB : kSymbolRateA, kInEditX, y + 13, kInEditW);
    l.Add(Picture(rowB ? kLampB : kLampA, {kInFecLabelX, y + 14, 28, 9}, kRedLampBitmap));
    l.Label(rowB ? kLevelCaptionB : kLevelCaptionA, kInLabelX, y + 25, 26, "Level");
    l.Bar(rowB ? kLevelBarB : kLevelBarA, kInEditX, y + 25, kInBarW);
    l.Label(rowB ? kLevelNumberB : kLevelNumberA, kInNumberX, y + 25, 22, "0", kRightAligned);
    l.Label(rowB ? kSnrCaptionB : kSnrCaptionA, kInLabelX, y + 34, 26, "S.N.R.");
    l.Bar(rowB ? kSnrBarB : kSnrBarA, kInEditX, y + 34, kInBarW);
    l.Label(rowB ? kSnrNumberB : kSnrNumberA, kInNumberX, y + 34, 22, "0", kRightAligned);
    // One history button serves the pair: it stands beside the first input's bars, as tall as both.
    if (!rowB) {
        l.Add(IconButton(kHistoryButton, {kInNumberX + 24, y + 26, 14, 16}, kHistoryIcon));
    }
}

void InputArea(Layout& l) {
    l.Label(kLetterA, 2, 1, 8, "A");
    InputRows(l, 1, false);
    l.Label(kInputBLetter, 2, 47, 8, "B");
    l.Add(Picture(kInputBIcon, {136, 59, 12, 12}, 210));
    InputRows(l, 47, true);
    // The player: its rate, the service it plays, and below them the schedule.
    l.Label(kPlayerRateCaption, 2, 93, 38, "Rate :");
    l.Add(Plain(kPlayerRate, ControlKind::TrackBar, {40, 93, 96, 12}));
    l.Label(kPlayerRateLabel, 138, 93, 38, "%d Mb/s", kRightAligned);
    l.Label(kPlayerServiceIdCaption, 2, 107, 34, "S.I.D. :");
    l.Edit(kPlayerServiceId, 36, 107, 30);
    l.Label(kPlayerServiceNameCaption, 69, 107, 24, "Name :");
    l.Edit(kPlayerServiceName, 93, 107, 83, kEditStyle);
    l.Add(Picture(kFilePicture, {8, 123, 16, 16}, 201));
    l.Combo(kFileCombo, 41, 121, 116, {});
    l.Add(Plain(kStartPicker, ControlKind::TimePicker, {41, 136, 45, 15}));
    l.Add(Picture(kTimePicture, {89, 138, 16, 16}, 202));
    l.Add(Plain(kEndPicker, ControlKind::TimePicker, {112, 136, 44, 15}));
    l.Add(Button(kAddEntry, {159, 121, 18, 13}, "+"));
    l.Add(Button(kRemoveEntries, {159, 136, 18, 13}, "-"));
    l.Add(ListView(kScheduleList, {0, 151, 176, 23},
                   kVisible | kBorder | kReport | kNoHeader | kGridLines | kFullRowSelect | kNotify));
}

// Columns of the output area: a caption column, then four channel columns.
constexpr int kOutLabelX = 200, kOutChannelX = 246, kOutChannelW = 40, kOutChannelStep = 42;

void ChannelGrid(Layout& l) {
    l.Add(Picture(kOutputIcon, {182, 1, 16, 16}, 211));
    for (int k = 0; k < 4; ++k) {
        const int x = kOutChannelX + k * kOutChannelStep;
        l.Label(kChannelNumber[k], x, 0, kOutChannelW, std::to_string(k + 1), kCentered);
        l.Edit(kOutFreq[k], x, 11, kOutChannelW, k == 0 ? kNumberStyle : kNumberStyle | kReadOnly);
        l.Edit(kStreamId[k], x, 24, kOutChannelW);
    }
    l.Label(kOutFreqCaption, kOutLabelX, 11, 46, "Freq. (kHz) :");
    l.Label(kStreamIdCaption, kOutLabelX, 24, 46, "T.S. Id. :");
    for (int k = 0; k < 4; ++k) {
        const int y = 38 + k * 10;
        l.Label(kBandwidthCaptionOf[k], kOutLabelX, y - 1, 40, "B.W. " + std::to_string(k + 1));
        l.Bar(kChannelRateBar[k], kOutChannelX, y, 92, 6);
        l.Label(kChannelRateLabel[k], 342, y - 1, 70, "99999/99999", kRightAligned);
    }
    l.Add(Plain(kSeparator1, ControlKind::EtchedLine, {182, 80, 232, 1}));
}

// Two columns of caption and box; the right-hand captions are the long ones ("Larghezza di banda :").
constexpr int kModLeftLabelX = 184, kModLeftLabelW = 36, kModLeftX = 221, kModLeftW = 56;
constexpr int kModRightLabelX = 280, kModRightLabelW = 77, kModRightX = 358, kModRightW = 54;

void Modulation(Layout& l) {
    l.Label(kConstellationCaption, kModLeftLabelX, 84, kModLeftLabelW, "Const. :");
    l.Combo(kConstellation, kModLeftX, 84, kModLeftW, {"QPSK", "16-QAM", "64-QAM"});
    l.Label(kBandwidthCaption, kModRightLabelX, 84, kModRightLabelW, "Bandwidth :");
    l.Combo(kBandwidth, kModRightX, 84, kModRightW, {"6 Mhz", "7 Mhz", "8 Mhz"});
    l.Label(kCodeRateCaption, kModLeftLabelX, 97, kModLeftLabelW, "F.E.C. :");
    l.Combo(kCodeRate, kModLeftX, 97, kModLeftW, kCodeRates);
    l.Label(kGuardCaption, kModRightLabelX, 97, kModRightLabelW, "Guard Int. :");
    l.Combo(kGuard, kModRightX, 97, kModRightW, {"1/32", "1/16", "1/8", "1/4"});
    l.Label(kModeCaption, kModLeftLabelX, 110, kModLeftLabelW, "Mode :");
    l.Combo(kMode, kModLeftX, 110, kModLeftW, {"2K", "8K"});
    l.Add(Picture(kLevelIcon, {184, 123, 12, 12}, 212));
    l.Label(kLevelAttCaption, 200, 124, 64, "Level Att.");
    l.Add(Plain(kLevelSlider, ControlKind::TrackBar, {266, 123, 112, 12}));
    l.Label(kLevelLabel, 380, 124, 32, "0dB", kRightAligned);
    l.Add(Plain(kSeparator2, ControlKind::EtchedLine, {182, 137, 232, 1}));
}

void Network(Layout& l) {
    l.Add(Picture(kOutputIcon2, {182, 144, 16, 16}, 211));
    l.Add(GroupBox(kNetworkFrame, {200, 139, 214, 37}, ""));
    l.Label(kNetworkIdCaption, 204, 146, 40, "Net. Id. :");
    l.Edit(kNetworkId, 245, 146, 32);
    l.Label(kNitVersionCaption, 280, 146, 24, "Vers. :");
    l.Edit(kNitVersion, 304, 146, 16);
    l.Add(CheckBox(kRemoveCatEmm, {323, 146, 89, 11}, "Remove CAT/EMM"));
    l.Label(kNetworkNameCaption, 206, 160, 56, "Network name :");
    l.Edit(kNetworkName, 264, 160, 146, kEditStyle);
}

void ServiceList(Layout& l) {
    // Captions over the columns of the list, at the columns' pixel positions, light on a dark band.
    l.Add(Plain(kCaptionBand, ControlKind::DrawingArea, {0, 177, 414, 11}));
    l.Add(Caption(kSidCaption, {26, 178, 33, 9}, "S.I.D."));
    l.Add(Caption(kNameCaption, {60, 178, 90, 9}, "Service name"));
    l.Add(Caption(kUncryptCaption, {177, 178, 51, 9}, "UNCRYPT", kVisible | kCentered));
    l.Add(Caption(kModulationCaption, {228, 178, 51, 9}, "MODULATION", kVisible | kCentered));
    l.Add(Caption(kLcnCaption, {282, 178, 30, 9}, "LCN"));
    l.Add(Caption(kHdLcnCaption, {314, 178, 33, 9}, "HD LCN"));
    l.Add(ListView(kServiceList, {0, 188, 414, 132},
                   kVisible | kBorder | kReport | kNoHeader | kGridLines | kFullRowSelect | kNotify | kTabStop));
    l.Add(Plain(kRateBar, ControlKind::DrawingArea, {0, 323, 414, 13}));
}

DialogTemplate Build() {
    DialogTemplate t = ChildPanel(kModulePanelDialog, {414, 338}, {});
    Layout l(t);
    InputArea(l);
    ChannelGrid(l);
    Modulation(l);
    Network(l);
    ServiceList(l);
    return t;
}

}  // namespace

const DialogTemplate& ModulePanelTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
