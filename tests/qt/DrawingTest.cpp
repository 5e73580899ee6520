#include "QtFixture.h"
#include "TestTemplates.h"

#include <QImage>

namespace kelvane::ui::test {
namespace {

TEST_F(QtFixture, DrawingAreaPaintsFilledAndFramedRectanglesInItsOwnPixels) {
    RecordingHandler handler;
    auto form = Make(FormTemplate(), handler);
    form->SetDrawing(kArea, {{{0, 0, 40, 20}, {0, 0, 128}, true}, {{50, 2, 30, 10}, {255, 0, 0}, false}});
    ShowExposed(*form);
    const QImage image = form->ControlWidget(kArea)->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(39, 19), QColor(0, 0, 128));
    EXPECT_NE(image.pixelColor(40, 19), QColor(0, 0, 128)) << "the fill stops at the rectangle's edge";
    EXPECT_EQ(image.pixelColor(50, 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(79, 11), QColor(255, 0, 0)) << "the frame lies on the rectangle's own last pixels";
    EXPECT_NE(image.pixelColor(65, 7), QColor(255, 0, 0)) << "a frame is not filled";

    form->SetDrawing(kArea, {});
    EXPECT_NE(form->ControlWidget(kArea)->grab().toImage().pixelColor(0, 0), QColor(0, 0, 128))
        << "new drawing replaces the old";
}

}  // namespace
}  // namespace kelvane::ui::test
