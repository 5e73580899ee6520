#include "QtFixture.h"
#include "ui/qt/FileDialogs.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace kelvane::ui::test {
namespace {

FileDialogRequest ConfigurationRequest(const QTemporaryDir& folder) {
    return {"Save the configuration", folder.path().toStdString(), "Configuration (*.kcf)", "*.kcf", "kcf"};
}

// Plays the operator at the next file dialog: types `name` and accepts, or cancels when there is no name. It
// tries again until that dialog has gone, since a dialog still reading its folder may ignore the first try.
void AnswerNextFileDialog(const QString& name) {
    struct Answer {
        QPointer<QFileDialog> dialog;
        bool found = false;
    };
    auto* poll = new QTimer;
    auto answer = std::make_shared<Answer>();
    QObject::connect(poll, &QTimer::timeout, [poll, name, answer] {
        if (!answer->found) {
            answer->dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            answer->found = !answer->dialog.isNull();
            if (!answer->found) return;
        }
        if (answer->dialog.isNull()) {
            poll->deleteLater();
        } else if (name.isEmpty()) {
            answer->dialog->reject();
        } else {
            // Typed into the name field: a dialog ignores selectFile() while that field has the focus.
            if (auto* field = answer->dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                field->setText(name);
            }
            QMetaObject::invokeMethod(answer->dialog.data(), "accept");
        }
    });
    poll->start(10);
}

TEST(FileFilter, TakesAFullFilterAsItIsAndCompletesABareName) {
    EXPECT_EQ(qtback::FileFilter({"", "", "Configuration (*.kcf)", "*.kcf", "kcf"}),
              QStringLiteral("Configuration (*.kcf)"));
    EXPECT_EQ(qtback::FileFilter({"", "", "Configuration", "*.kcf", "kcf"}), QStringLiteral("Configuration (*.kcf)"));
}

TEST(DefaultExtension, IsAddedOnlyWhenTheNameHasNone) {
    EXPECT_EQ(qtback::WithDefaultExtension("/racks/site", "kcf"), "/racks/site.kcf");
    EXPECT_EQ(qtback::WithDefaultExtension("/racks/site.kcf", "kcf"), "/racks/site.kcf");
    EXPECT_EQ(qtback::WithDefaultExtension("/racks/site.old", "kcf"), "/racks/site.old");
    EXPECT_EQ(qtback::WithDefaultExtension("/racks.d/site", "kcf"), "/racks.d/site.kcf");
    EXPECT_EQ(qtback::WithDefaultExtension("/racks/site", ""), "/racks/site");
}

TEST_F(QtFixture, SaveDialogAddsTheDefaultExtensionToTheTypedName) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    AnswerNextFileDialog(QStringLiteral("site"));
    const auto chosen = windows.AskSaveFile(ConfigurationRequest(folder));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QString::fromStdString(*chosen), QDir::toNativeSeparators(folder.filePath(QStringLiteral("site.kcf"))));
}

TEST_F(QtFixture, CancelledOpenDialogGivesNothing) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    AnswerNextFileDialog(QString());
    EXPECT_FALSE(windows.AskOpenFile(ConfigurationRequest(folder)).has_value());
}

}  // namespace
}  // namespace kelvane::ui::test
