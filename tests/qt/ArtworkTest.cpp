#include "QtFixture.h"
#include "TestTemplates.h"
#include "res/ResourceIds.h"
#include "ui/qt/Artwork.h"

#include <QLabel>
#include <QPushButton>

namespace kelvane::ui::test {
namespace {

QImage PictureOf(const QtDialog& dialog, int control) {
    return static_cast<QLabel*>(dialog.ControlWidget(control))->pixmap().toImage();
}

QColor IconColor(const QIcon& icon, int side) {
    return icon.pixmap(QSize(side, side)).toImage().pixelColor(side / 2, side / 2);
}

TEST_F(QtFixture, PictureDrawsItsBitmapFittedToTheControlKeepingItsShape) {
    RecordingHandler handler;
    auto form = Make(FormTemplate(), handler);
    const QImage picture = PictureOf(*form, kPicture);
    ASSERT_EQ(picture.size(), QSize(60, 33));
    EXPECT_EQ(picture.pixelColor(10, 16), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(50, 16), QColor(0, 0, 255));
    EXPECT_EQ(picture.pixelColor(30, 0).alpha(), 0) << "a 2:1 bitmap leaves a band above it";

    form->SetBitmap(kPicture, kMissingArt);
    EXPECT_TRUE(PictureOf(*form, kPicture).isNull()) << "missing artwork shows nothing";
    form->SetBitmap(kPicture, kTestBitmap);
    EXPECT_FALSE(PictureOf(*form, kPicture).isNull());
}

TEST_F(QtFixture, ButtonIconFitsTheButtonAndSmallButtonsUseTheSmallVariant) {
    RecordingHandler handler;
    DialogTemplate t = FormTemplate();
    t.controls.push_back({80, ControlKind::PushButton, {0, 0, 12, 10}, "", kVisible, {}, kTestIcon});
    auto form = Make(t, handler);
    const auto* large = static_cast<QPushButton*>(form->ControlWidget(kIconButton));
    const auto* small = static_cast<QPushButton*>(form->ControlWidget(80));
    EXPECT_EQ(large->iconSize(), QSize(33, 33)) << "a 42 by 41 pixel button less its margins";
    EXPECT_EQ(IconColor(large->icon(), 33), QColor(0, 255, 0));
    EXPECT_EQ(IconColor(small->icon(), small->iconSize().width()), QColor(255, 0, 255));

    form->SetIcon(kIconButton, kMissingArt);
    EXPECT_TRUE(large->icon().isNull());
}

TEST_F(QtFixture, WindowIconHasTheSmallVariantForSmallSizes) {
    RecordingHandler handler;
    auto form = Make(FormTemplate(), handler);
    form->SetWindowIcon(kTestIcon);
    EXPECT_EQ(IconColor(form->Widget()->windowIcon(), 16), QColor(255, 0, 255));
    EXPECT_EQ(IconColor(form->Widget()->windowIcon(), 32), QColor(0, 255, 0));
    form->SetWindowIcon(kMissingArt);
    EXPECT_TRUE(form->Widget()->windowIcon().isNull() ||
                form->Widget()->windowIcon().cacheKey() == QApplication::windowIcon().cacheKey());
}

TEST_F(QtFixture, EveryBitmapAndIconTheProgramNamesIsInTheArtwork) {
    for (const int bitmap :
         {res::kBackgroundBitmap, res::kMakerBitmap, res::kBannerBitmap, res::kSmallBannerBitmap,
          res::kControllerBitmap, res::kControllerLitBitmap, res::kInputBitmap, res::kInputLitBitmap,
          res::kOutputBitmap, res::kOutputLitBitmap, res::kCommonInterfaceBitmap, res::kCommonInterfaceLitBitmap,
          res::kWideOutputBitmap, res::kWideOutputLitBitmap, res::kEmptySlotBitmap, res::kRedLampBitmap,
          res::kAmberLampBitmap, res::kGreenLampBitmap}) {
        EXPECT_FALSE(qtback::RenderBitmap(bitmap, QSize(48, 48)).isNull()) << "bitmap " << bitmap;
    }
    for (const int icon : {res::kAppIcon, res::kDiscoverIcon, res::kSaveIcon, res::kUploadIcon}) {
        EXPECT_FALSE(qtback::LoadIcon(icon).isNull()) << "icon " << icon;
    }
}

}  // namespace
}  // namespace kelvane::ui::test
