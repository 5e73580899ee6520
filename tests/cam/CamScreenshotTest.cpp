// The CAM menu drawn by the Qt back end with the simulated CAM's main menu, a list and its PIN question. The
// pictures are saved beside the test program for a person to look at; the checks confirm that what must be
// drawn was drawn.

#include "app/KelvaneDlg.h"
#include "res/ResourceIds.h"
#include "sim/CamScreens.h"
#include "tests/cam/CamRig.h"
#include "tests/cam/MmiBytes.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/QtWindowSystem.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace kelvane::test {
namespace {

constexpr const char* kOutputFolder = KELVANE_CAM_SCREENSHOTS;
const QColor kCamText(128, 128, 255);

// A screen of the simulated CAM as the module hands it over.
Bytes Screen(sim::CamScreen screen) {
    const sim::ci::Bytes page = sim::PageObject(sim::PageOf(screen, sim::CamSettings{}));
    return mmi::Reply(
        sim::ci::Transport(sim::ci::kDataLastTag, sim::ci::SessionData(4, std::vector<sim::ci::Bytes>{page})));
}

int PixelsOf(const QImage& image, const QRect& area, const QColor& color) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return count;
}

QRect Pixels(const ui::Rect& units) {
    const ui::Rect p = ui::DialogUnitsToPixels(units);
    return QRect(p.x, p.y, p.width, p.height);
}

class CamScreenshots : public ::testing::Test, protected CamRig<ui::QtWindowSystem> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(Build());
        info.InitInfoFont();
        cam.Window().MoveTo(CKelvaneDlg::kPanelOrigin);
        info.Window().MoveTo(CKelvaneDlg::kInfoOrigin);
        // As the main window shows a panel: none of its pictures behind it.
        for (const int picture :
             {res::kMakerPicture, res::kBannerPicture, res::kSmallBannerPicture, res::kBackgroundPicture}) {
            main->ShowControl(picture, false);
        }
        main->Show(true);
        cam.OpenCamMenu(slotTable[2]);
    }

    // The CAM's screen arrives and the panel polls until it shows it.
    void Receive(sim::CamScreen screen, std::size_t entries) {
        module.mmiData.push_back(Screen(screen));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return cam.Window().ItemCount(res::kCamList) == static_cast<int>(entries); }, 10000));
    }

    QImage Grab(const char* name) {
        QWidget* panel = static_cast<ui::QtDialog&>(cam.Window()).Widget();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(panel->window()));
        QTest::qWait(100);
        const QImage image = panel->grab().toImage();
        image.save(QStringLiteral("%1/%2.png").arg(QString::fromUtf8(kOutputFolder), QString::fromUtf8(name)));
        panel->window()->grab().toImage().save(
            QStringLiteral("%1/%2-window.png").arg(QString::fromUtf8(kOutputFolder), QString::fromUtf8(name)));
        return image;
    }
};

TEST_F(CamScreenshots, MainMenu) {
    Receive(sim::CamScreen::MainMenu, 9);
    const QImage image = Grab("cam-menu");
    EXPECT_GT(PixelsOf(image, Pixels({42, 6, 368, 210}), kCamText), 200);
    EXPECT_GT(PixelsOf(image, Pixels({42, 6, 368, 210}), Qt::black), 20000);
}

TEST_F(CamScreenshots, List) {
    Receive(sim::CamScreen::Rights, 9);
    const QImage image = Grab("cam-list");
    EXPECT_GT(PixelsOf(image, Pixels({42, 6, 368, 210}), kCamText), 200);
}

TEST_F(CamScreenshots, PinQuestion) {
    Receive(sim::CamScreen::MainMenu, 9);
    Receive(sim::CamScreen::PinQuestion, 1);
    QTest::keyClicks(QApplication::focusWidget(), "1234");
    EXPECT_EQ(cam.Window().Text(res::kCamAnswerEdit), "1234");
    const QImage image = Grab("cam-pin");
    EXPECT_GT(PixelsOf(image, Pixels({48, 42, 354, 18}), kCamText), 20);

    // Enter in the edit answers the CAM.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    const Bytes answer{0x01, 0x00, 0xA0, 0x0E, 0x01, 0x90, 0x02, 0x00, 0x04,
                       0x9F, 0x88, 0x08, 0x05, 0x01, '1',  '2',  '3',  '4'};
    EXPECT_TRUE(QTest::qWaitFor([&] { return !module.sent.empty() && module.sent.back().packet == answer; }, 10000));
    EXPECT_FALSE(cam.Window().IsControlShown(res::kCamAnswerEdit));
}

// A CAM that closes its menu in the middle of a question: the answer box goes, the screen is emptied and the
// main menu is asked for again, as at opening, so that the operator is never left before an empty screen.
TEST_F(CamScreenshots, AfterTheCamClosesItsMenu) {
    Receive(sim::CamScreen::MainMenu, 9);
    Receive(sim::CamScreen::PinQuestion, 1);
    module.mmiData.push_back(mmi::Reply(mmi::Tpdu(mmi::Mmi({mmi::CloseMmi()}))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cam.Window().ItemCount(res::kCamList) == 0; }, 10000));
    EXPECT_FALSE(cam.Window().IsControlShown(res::kCamAnswerEdit));
    const Bytes askForMenu{0x01, 0x00, 0xA0, 0x09, 0x01, 0x90, 0x02, 0x00, 0x02, 0x9F, 0x80, 0x22, 0x00};
    // The menu is asked for once the clock's second has turned, as at opening.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            clock.Advance(50);
            return !module.sent.empty() && module.sent.back().packet == askForMenu;
        },
        10000));
    Receive(sim::CamScreen::MainMenu, 9);
    const QImage image = Grab("cam-after-closing");
    EXPECT_GT(PixelsOf(image, Pixels({42, 6, 368, 210}), kCamText), 200) << "the main menu is shown again";
}

}  // namespace
}  // namespace kelvane::test
