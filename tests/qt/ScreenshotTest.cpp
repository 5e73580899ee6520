// Each test renders a dialog the way the program fills it and saves the picture beside the test program, for a
// person to look at; the checks confirm that what must be drawn was drawn.
#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <QImage>
#include <functional>
#include <tuple>
#include <QPixmap>

namespace kelvane::ui::test {
namespace {

constexpr const char* kOutputFolder = KELVANE_QT_TEST_OUTPUT;

// The window is shown and given time to lay out its lists before it is drawn.
QImage Grab(QtDialog& dialog, const char* name) {
    dialog.Show(true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.Widget()));
    QTest::qWait(100);
    const QImage image = dialog.Widget()->grab().toImage();
    image.save(QStringLiteral("%1/%2.png").arg(QString::fromUtf8(kOutputFolder), QString::fromUtf8(name)));
    return image;
}

// How many pixels inside `area` are not of `color`.
int PixelsOtherThan(const QImage& image, const QRect& area, QColor color) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) != color ? 1 : 0;
    }
    return count;
}

// Whether the picture shows a pixel for which `matches` holds somewhere inside `area`.
bool Shows(const QImage& image, const QRect& area, const std::function<bool(QColor)>& matches) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (matches(image.pixelColor(x, y))) return true;
        }
    }
    return false;
}

// Whether the picture shows `color` somewhere inside `area`.
bool Shows(const QImage& image, const QRect& area, QColor color) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color) return true;
        }
    }
    return false;
}

QRect Pixels(const Rect& units) {
    const Rect pixels = DialogUnitsToPixels(units);
    return QRect(pixels.x, pixels.y, pixels.width, pixels.height);
}

void FillModuleList(Dialog& main) {
    main.SetImageList(res::kModuleList, {{48, 48},
                                         {res::kControllerBitmap, res::kControllerLitBitmap, res::kInputBitmap,
                                          res::kInputLitBitmap, res::kOutputBitmap, res::kOutputLitBitmap,
                                          res::kCommonInterfaceBitmap, res::kCommonInterfaceLitBitmap,
                                          res::kWideOutputBitmap, res::kWideOutputLitBitmap, res::kEmptySlotBitmap}});
    main.SetIconSpacing(res::kModuleList, {52, 20});
    const std::vector<ListCell> rows = {
        {"KXR100\r\nV 2.10", 0}, {"KXS210\r\nV 1.31", 3}, {"KXF600\r\nV 1.02", 6}, {"KXD410\r\nV 3.00", 5}};
    for (int row = 0; row < 13; ++row) {
        main.InsertRow(res::kModuleList, row);
        main.SetCell(res::kModuleList, row, 0, row < 4 ? rows[static_cast<std::size_t>(row)] : ListCell{"", 10});
    }
}

TEST_F(QtFixture, MainWindowShowsItsPicturesModuleImagesAndTheMessageArea) {
    RecordingHandler mainHandler;
    RecordingHandler infoHandler;
    auto main = Make(res::MainDialogTemplate(), mainHandler);
    auto info = Make(res::InfoDialogTemplate(), infoHandler, main.get());
    main->SetWindowIcon(res::kAppIcon);
    main->SetIcon(res::kDiscoverButton, res::kDiscoverIcon);
    main->SetIcon(res::kUploadButton, res::kUploadIcon);
    main->SetIcon(res::kSaveButton, res::kSaveIcon);
    FillModuleList(*main);
    info->SetColors(res::kInfoText, {{96, 96, 96}, true});
    info->SetFont(res::kInfoText, {"Arial", 18, 400});
    info->SetText(res::kInfoText, "Searching the rack on COM3...");
    info->SetRange(res::kInfoProgress, 0, 10);
    info->SetPosition(res::kInfoProgress, 4);
    info->ShowControl(res::kInfoProgress, true);
    info->MoveTo({136, 482});
    info->Show(true);
    main->ShowControl(res::kMakerPicture, false);

    const QImage image = Grab(*main, "main-window");

    // The background picture covers most of its area; without it the area would be bare window.
    const QRect picture = Pixels({95, 73, 400, 172});
    const QColor window = main->Widget()->palette().color(QPalette::Window);
    EXPECT_GT(PixelsOtherThan(image, picture, window), picture.width() * picture.height() / 4);
    EXPECT_TRUE(Shows(image, QRect(136, 482, 441, 38), QColor(96, 96, 96))) << "the message is not drawn in its grey";
}

TEST_F(QtFixture, FormShowsEveryKindOfControl) {
    RecordingHandler handler;
    auto form = Make(FormTemplate(), handler);
    form->SetText(kEdit, "Kelvane");
    form->SetText(kPassword, "1234");
    form->SetPassword(kPassword, true);
    form->SetText(kMemo, "Slot 0 : KXR100\r\n  No configuration required\r\n");
    form->SetCurrentIndex(kCombo, 2);
    form->SetCurrentIndex(kListBox, 1);
    form->SetChecked(kCheck, true);
    form->SetRange(kSlider, 1, 30);
    form->SetTickFrequency(kSlider, 5);
    form->SetPosition(kSlider, 12);
    form->SetPosition(kProgress, 60);
    form->SetTimeOfDay(kTime, 9 * 60 + 30);
    form->SetImageList(kIcons, {{48, 48}, {150, 153}});
    form->SetIconSpacing(kIcons, {52, 20});
    for (int row = 0; row < 2; ++row) {
        form->InsertRow(kIcons, row);
        form->SetCell(kIcons, row, 0, {row == 0 ? "KXR100\r\nV 2.10" : "KXS210\r\nV 1.31", row});
    }
    form->SetImageList(kReportList, {{16, 16}, {171, 172, 173, 174, 175, 176, 177, 178, 198, 203}});
    form->SetColumns(kReportList,
                     {{"VOID", 1}, {"SHARE", 19}, {"FROM", 19}, {"SID", 50}, {"NAME", 137}, {" ", 20}, {" ", 20}});
    const std::vector<std::vector<ListCell>> services = {
        {{"", -1}, {"", 8}, {"A", -1}, {"1001", -1}, {"France 2", -1}, {"", 0}, {"", 7}},
        {{"", -1}, {"", 8}, {"B", -1}, {"1002", -1}, {"Radio Classique", -1}, {"", 2}, {"", 5}},
        {{"", -1}, {"", 8}, {"?", -1}, {"1003", -1}, {"", -1}, {"", -1}, {"", 5}},
    };
    const std::vector<Color> colors = {{0, 0, 128}, {0, 64, 0}, {160, 160, 160}};
    for (int row = 0; row < 3; ++row) {
        form->InsertRow(kReportList, row);
        for (int column = 0; column < 7; ++column) {
            form->SetCell(kReportList, row, column,
                          services[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
        }
        form->SetRowTextColor(kReportList, row, colors[static_cast<std::size_t>(row)]);
    }
    const QImage image = Grab(*form, "form");

    EXPECT_TRUE(Shows(image, Pixels({120, 172, 40, 20}), QColor(255, 0, 0))) << "the picture's bitmap is not drawn";
    EXPECT_TRUE(Shows(image, Pixels({60, 60, 28, 25}), QColor(0, 255, 0))) << "the button's icon is not drawn";
}

void FillServiceList(Dialog& panel) {
    using namespace res::panel;
    panel.SetImageList(kServiceList, {{16, 16}, {171, 172, 173, 174, 175, 176, 177, 178, 198, 203}});
    const std::vector<std::pair<const char*, int>> columns = {
        {"VOID", 1}, {"SHARE", 19}, {"FROM", 19}, {"SID", 50}, {"NAME", 137},  {" ", 20},
        {" ", 20},   {"C1", 19},    {"C2", 19},   {"C3", 19},  {"C4", 19},     {"On1", 19},
        {"On2", 19}, {"On3", 19},   {"On4", 19},  {"LCN", 50}, {"HD_LCN", 50}, {"R.U.F.", 110}};
    std::vector<ListColumn> listColumns;
    for (const auto& [caption, width] : columns) listColumns.push_back({caption, width});
    panel.SetColumns(kServiceList, listColumns);
    const std::vector<std::tuple<const char*, const char*, int, Color>> services = {
        {"1001", "France 2", 0, {0, 0, 128}},
        {"1002", "Arte", 0, {0, 0, 128}},
        {"2001", "Radio Classique", 2, {0, 64, 0}},
        {"3003", "", -1, {160, 160, 160}}};
    for (int row = 0; row < static_cast<int>(services.size()); ++row) {
        const auto& [sid, name, kind, color] = services[static_cast<std::size_t>(row)];
        panel.InsertRow(kServiceList, row);
        panel.SetCell(kServiceList, row, 1, {"", 8});
        panel.SetCell(kServiceList, row, 2, {row < 2 ? "A" : (row == 2 ? "B" : "?"), kNoImage});
        panel.SetCell(kServiceList, row, 3, {sid, kNoImage});
        panel.SetCell(kServiceList, row, 4, {name, kNoImage});
        panel.SetCell(kServiceList, row, 5, {"", kind});
        panel.SetCell(kServiceList, row, 6, {"", row == 1 ? 5 : 7});
        for (int column = 7; column <= 10; ++column) {
            panel.SetCell(kServiceList, row, column, {"", column == 7 && row == 1 ? 3 : 6});
        }
        for (int column = 11; column <= 14; ++column) {
            panel.SetCell(kServiceList, row, column, {"", column == 11 && row < 2 ? 1 : 4});
        }
        panel.SetCell(kServiceList, row, 15, {row < 2 ? std::to_string(row + 2) : "", kNoImage});
        panel.SetRowTextColor(kServiceList, row, color);
    }
}

TEST_F(QtFixture, ModulePanelShowsItsControlsServiceListAndRateBar) {
    RecordingHandler mainHandler;
    RecordingHandler panelHandler;
    auto main = Make(res::MainDialogTemplate(), mainHandler);
    auto panel = Make(res::ModulePanelTemplate(), panelHandler, main.get());
    FillServiceList(*panel);
    panel->SetRange(res::panel::kLevelSlider, 1, 30);
    panel->SetTickFrequency(res::panel::kLevelSlider, 5);
    panel->SetCurrentIndex(res::panel::kConstellation, 2);
    panel->SetDrawing(res::panel::kRateBar, {{{0, 0, 200, 20}, {0, 0, 128}, true},
                                             {{200, 0, 120, 20}, {0, 64, 0}, true},
                                             {{0, 0, 621, 20}, kBlack, false}});
    panel->MoveTo({136, 0});
    panel->Show(true);
    main->ShowControl(res::kBackgroundPicture, false);

    const QImage image = Grab(*main, "module-panel");

    // Small text is smoothed, so its darkest pixels only come near the row's colour.
    const Rect list = DialogUnitsToPixels({0, 188, 414, 132});
    const auto darkGreen = [](QColor c) {
        return c.green() < 140 && c.green() > c.red() + 40 && c.green() > c.blue() + 40;
    };
    EXPECT_TRUE(Shows(image, QRect(136 + list.x, list.y, list.width, list.height), darkGreen))
        << "the radio row's text is not in its colour";
    const Rect bar = DialogUnitsToPixels({0, 323, 414, 13});
    EXPECT_TRUE(Shows(image, QRect(136 + bar.x, bar.y, bar.width, bar.height), QColor(0, 0, 128)));
}

TEST_F(QtFixture, CamMenuShowsItsTextsLightOnBlack) {
    RecordingHandler mainHandler;
    RecordingHandler camHandler;
    auto main = Make(res::MainDialogTemplate(), mainHandler);
    auto cam = Make(res::CamDialogTemplate(), camHandler, main.get());
    ControlColors colors;
    colors.text = {128, 128, 255};
    colors.hasText = true;
    colors.background = kBlack;
    colors.hasBackground = true;
    for (const int control : {res::kCamList, res::kCamAnswerEdit}) {
        cam->SetColors(control, colors);
        cam->SetFont(control, {"Arial", 18, 400});
    }
    for (const char* line : {"Conax Conditional Access", "Main menu", "", "1. Subscription status", "2. PIN change", "",
                             "Press OK to select"}) {
        cam->AddItem(res::kCamList, line);
    }
    cam->SetBitmap(res::kCamLampPicture, res::kGreenLampBitmap);
    cam->MoveTo({136, 0});
    cam->Show(true);
    main->ShowControl(res::kBackgroundPicture, false);

    const QImage image = Grab(*main, "cam-menu");

    const Rect list = DialogUnitsToPixels({42, 6, 368, 210});
    const QRect area(136 + list.x + 4, list.y + 4, list.width - 24, list.height - 8);
    EXPECT_TRUE(Shows(image, area, QColor(0, 0, 0)));
    EXPECT_TRUE(Shows(image, area, QColor(128, 128, 255)));
}

TEST_F(QtFixture, ConfigurationSummaryShowsItsTextAndButtons) {
    RecordingHandler handler;
    auto summary = Make(res::ConfigSummaryTemplate(), handler);
    summary->SetCaption("CONFIGURATION");
    std::string text = "Loaded configuration matches current installation.\r\n\r\nShort Description :\r\n";
    text += "Slot 0 : KXR100\r\n  No configuration required\r\n\r\n";
    text += "Slot 1 : KXD410\r\n  Frequency : 474MHz (64-QAM - 8K - 8 MHz - F.E.C. 2/3 - Guard Int.  1/32)\r\n";
    text += "  Attenuation : 0dB\r\n  Services :  81:1001 (SD5 )\r\n";
    summary->SetText(res::kSummaryText, text);

    const QImage image = Grab(*summary, "config-summary");

    const Rect edit = DialogUnitsToPixels({6, 6, 330, 204});
    const QColor ground = summary->Widget()->palette().color(QPalette::Window);
    EXPECT_GT(PixelsOtherThan(image, QRect(edit.x + 4, edit.y + 4, 200, 60), ground), 100)
        << "the read-only text is not drawn";
}

}  // namespace
}  // namespace kelvane::ui::test
