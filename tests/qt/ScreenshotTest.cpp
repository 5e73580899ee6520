// Each test renders a dialog the way the program fills it and saves the picture beside the test program, for a
// person to look at; the checks confirm that what must be drawn was drawn.
#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <QImage>
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
    const std::vector<ListCell> rows = {{"KXR100\r\nV 2.10", 0}, {"KXS210\r\nV 1.31", 3}, {"KXF600\r\nV 1.02", 6},
                                        {"KXD410\r\nV 3.00", 5}};
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
    form->SetColumns(kReportList, {{"VOID", 1}, {"SHARE", 19}, {"FROM", 19}, {"SID", 50}, {"NAME", 137}, {" ", 20}, {" ", 20}});
    const std::vector<std::vector<ListCell>> services = {
        {{"", -1}, {"", 8}, {"A", -1}, {"1001", -1}, {"France 2", -1}, {"", 0}, {"", 7}},
        {{"", -1}, {"", 8}, {"B", -1}, {"1002", -1}, {"Radio Classique", -1}, {"", 2}, {"", 5}},
        {{"", -1}, {"", 8}, {"?", -1}, {"1003", -1}, {"", -1}, {"", -1}, {"", 5}},
    };
    const std::vector<Color> colors = {{0, 0, 128}, {0, 64, 0}, {160, 160, 160}};
    for (int row = 0; row < 3; ++row) {
        form->InsertRow(kReportList, row);
        for (int column = 0; column < 7; ++column) {
            form->SetCell(kReportList, row, column, services[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
        }
        form->SetRowTextColor(kReportList, row, colors[static_cast<std::size_t>(row)]);
    }
    const QImage image = Grab(*form, "form");

    EXPECT_TRUE(Shows(image, Pixels({120, 172, 40, 20}), QColor(255, 0, 0))) << "the picture's bitmap is not drawn";
    EXPECT_TRUE(Shows(image, Pixels({60, 60, 28, 25}), QColor(0, 255, 0))) << "the button's icon is not drawn";
}

}  // namespace
}  // namespace kelvane::ui::test
