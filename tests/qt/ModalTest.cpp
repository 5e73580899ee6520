#include "QtFixture.h"
#include "TestTemplates.h"

#include <QPointer>
#include <QTimer>

namespace kelvane::ui::test {
namespace {

constexpr int kOkResult = 1;

using Modal = FormFixture;

TEST_F(Modal, RunShowsTheDialogUntilEndModalAndReturnsItsResult) {
    bool shownDuringRun = false;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer::singleShot(0, [&] {
        shownDuringRun = form->IsShown() && form->Widget()->isVisible();
        modality = form->Widget()->windowModality();
        windows.EndModal(*form, 7);
    });
    EXPECT_EQ(windows.RunModal(*form), 7);
    EXPECT_TRUE(shownDuringRun);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_FALSE(form->IsShown());
}

TEST_F(Modal, ResultGivenBeforeTheRunEndsItAtOnce) {
    windows.EndModal(*form, 3);
    EXPECT_EQ(windows.RunModal(*form), 3);
}

TEST_F(Modal, OperatorsClickEndsTheRunThroughTheHandler) {
    handler.onNotify = [&](const Notification& n) {
        if (n.control == kButton && n.event == Event::Clicked) windows.EndModal(*form, kOkResult);
    };
    QTimer::singleShot(0, [&] { QTest::mouseClick(form->ControlWidget(kButton), Qt::LeftButton); });
    EXPECT_EQ(windows.RunModal(*form), kOkResult);
}

TEST_F(Modal, NestedRunsEndInTurn) {
    RecordingHandler innerHandler;
    auto inner = Make(FormTemplate(), innerHandler, form.get());
    int innerResult = 0;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] { windows.EndModal(*inner, 2); });
        innerResult = windows.RunModal(*inner);
        windows.EndModal(*form, 1);
    });
    EXPECT_EQ(windows.RunModal(*form), 1);
    EXPECT_EQ(innerResult, 2);
}

TEST_F(Modal, HandlerMayDestroyItsDialogFromInsideAClick) {
    QPointer<QWidget> window = form->Widget();
    handler.onNotify = [&](const Notification& n) {
        if (n.control == kButton && n.event == Event::Clicked) form.reset();
    };
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("control-%1").arg(kButton)), Qt::LeftButton);
    EXPECT_EQ(form, nullptr);
    EXPECT_TRUE(WaitFor([&] { return window.isNull(); })) << "the window goes once Qt is done with the click";
}

TEST_F(Modal, HandlerMayDestroyItsDialogOnTheCloseBox) {
    QPointer<QWidget> window = form->Widget();
    form->Show(true);
    handler.onClose = [&] { form.reset(); };
    window->close();
    EXPECT_EQ(handler.closes, 1);
    EXPECT_TRUE(WaitFor([&] { return window.isNull(); }));
}

TEST_F(Modal, DestroyingTheDialogEndsItsRun) {
    QTimer::singleShot(0, [&] { form.reset(); });
    EXPECT_EQ(windows.RunModal(*form), -1);
}

}  // namespace
}  // namespace kelvane::ui::test
