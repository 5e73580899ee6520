#pragma once

#include "TestTemplates.h"
#include "platform/SystemClock.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/QtWindowSystem.h"

#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace kelvane::ui::test {

// Writes down everything a dialog tells its owner; a test may also act on each notification.
class RecordingHandler : public DialogHandler {
public:
    void OnNotify(const Notification& notification) override {
        notifications.push_back(notification);
        if (onNotify) onNotify(notification);
    }
    void OnTimer(int timerId) override {
        timers.push_back(timerId);
        if (onTimer) onTimer(timerId);
    }
    void OnOk() override { ++oks; }
    void OnCancel() override { ++cancels; }
    void OnClose() override {
        ++closes;
        if (onClose) onClose();
    }

    std::vector<Notification> Of(int control, Event event) const {
        std::vector<Notification> found;
        for (const Notification& n : notifications) {
            if (n.control == control && n.event == event) found.push_back(n);
        }
        return found;
    }

    std::vector<Notification> notifications;
    std::vector<int> timers;
    int oks = 0;
    int cancels = 0;
    int closes = 0;
    std::function<void(const Notification&)> onNotify;
    std::function<void(int)> onTimer;
    std::function<void()> onClose;
};

// Waits with generous bounds for what the event loop has to bring.
inline bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

class QtFixture : public testing::Test {
protected:
    std::unique_ptr<QtDialog> Make(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                   Dialog* parent = nullptr) {
        auto made = windows.CreateDialog(dialogTemplate, handler, parent);
        return std::unique_ptr<QtDialog>(static_cast<QtDialog*>(made.release()));
    }

    // Shows the dialog's window and waits until it is on screen with its lists laid out.
    static void ShowExposed(QtDialog& dialog) {
        dialog.Show(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.Widget()->window(), 10000));
        QCoreApplication::sendPostedEvents();
    }

    // Shows the dialog's window and waits until it is on screen and active.
    static void ShowActive(QtDialog& dialog) {
        dialog.Show(true);
        QWidget* window = dialog.Widget()->window();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window, 10000));
    }

    SystemClock clock;
    QtWindowSystem windows{clock};
};

// The test form, made afresh for each test, with what it tells its owner written down.
class FormFixture : public QtFixture {
protected:
    void SetUp() override { form = Make(FormTemplate(), handler); }

    RecordingHandler handler;
    std::unique_ptr<QtDialog> form;
};

}  // namespace kelvane::ui::test
