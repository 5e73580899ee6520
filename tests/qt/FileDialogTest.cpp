#include "QtFixture.h"
#include "ui/qt/FileDialogs.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QTreeView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace kelvane::ui::test {
namespace {

FileDialogRequest ConfigurationRequest(const QTemporaryDir& folder) {
    return {"Save the configuration", folder.path().toStdString(), "Configuration (*.kcf)", "*.kcf", "kcf", {}};
}

// Writes a file of `content` into the folder; whether it was written whole.
bool WriteFileIn(const QTemporaryDir& folder, const char* name, const QByteArray& content = {}) {
    QFile file(folder.filePath(QString::fromUtf8(name)));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
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

// Plays the operator who types `name` in the next save dialog, accepts, and answers the overwrite question that
// follows with `replace`; after a "No" the dialog is cancelled. `question` receives the question's text.
void TypeNameAndAnswerOverwrite(const QString& name, bool replace, std::shared_ptr<QString> question) {
    auto* poll = new QTimer;
    auto dialog = std::make_shared<QPointer<QFileDialog>>();
    auto answered = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (dialog->isNull() && !*answered) {
            *dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog->isNull()) return;
            if (auto* field = (*dialog)->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) field->setText(name);
            QMetaObject::invokeMethod(dialog->data(), "accept", Qt::QueuedConnection);
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && !*answered) {
            // Room for the caption beside the title bar's buttons.
            const bool captionFits = box->width() >= box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100;
            *question = captionFits ? box->text() : QStringLiteral("caption cut: ") + box->text();
            *answered = true;
            box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            return;
        }
        if (*answered && !replace && !dialog->isNull() && modal == dialog->data()) {
            (*dialog)->reject();
            return;
        }
        if (dialog->isNull() || !(*dialog)->isVisible()) poll->deleteLater();
    });
    poll->start(10);
}

TEST(FileFilter, TakesAFullFilterAsItIsAndCompletesABareName) {
    EXPECT_EQ(qtback::FileFilter({"", "", "Configuration (*.kcf)", "*.kcf", "kcf", {}}),
              QStringLiteral("Configuration (*.kcf)"));
    EXPECT_EQ(qtback::FileFilter({"", "", "Configuration", "*.kcf", "kcf", {}}),
              QStringLiteral("Configuration (*.kcf)"));
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

// "rack.v2" is written as "rack.v2.kcf": that is the file the dialog must ask about.
TEST_F(QtFixture, SaveDialogAsksAboutTheFileThatWillBeWritten) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(WriteFileIn(folder, "rack.v2.kcf"));
    FileDialogRequest request = ConfigurationRequest(folder);
    request.finalName = [](const std::string& path) { return path + ".kcf"; };

    auto question = std::make_shared<QString>();
    TypeNameAndAnswerOverwrite(QStringLiteral("rack.v2"), false, question);
    EXPECT_FALSE(windows.AskSaveFile(request).has_value());
    EXPECT_TRUE(question->contains(QStringLiteral("rack.v2.kcf"))) << question->toStdString();

    question->clear();
    TypeNameAndAnswerOverwrite(QStringLiteral("rack.v2"), true, question);
    const auto chosen = windows.AskSaveFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(request.finalName(*chosen),
              QDir::toNativeSeparators(folder.filePath(QStringLiteral("rack.v2.kcf"))).toStdString());
    EXPECT_TRUE(question->contains(QStringLiteral("rack.v2.kcf")));
}

// Every column heading of the file list can be read whole.
TEST_F(QtFixture, FileDialogColumnsAreWideEnoughForTheirHeadings) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(WriteFileIn(folder, "rack-site-nord.kcf"));
    auto cut = std::make_shared<std::vector<std::string>>();
    auto looked = std::make_shared<bool>(false);
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (view == nullptr || !view->isVisible()) return;
        QHeaderView* header = view->header();
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column)) continue;
            const QString heading = view->model()->headerData(column, Qt::Horizontal).toString();
            const int needed = header->fontMetrics().horizontalAdvance(heading);
            if (header->sectionSize(column) < needed) cut->push_back(heading.toStdString());
        }
        // And the places on the left, whose names are elided when the column is too narrow.
        if (auto* places = dialog->findChild<QListView*>(QStringLiteral("sidebar"))) {
            for (int row = 0; row < places->model()->rowCount(); ++row) {
                const QModelIndex place = places->model()->index(row, 0);
                const int needed = places->fontMetrics().horizontalAdvance(place.data().toString());
                if (places->visualRect(place).width() < needed + places->iconSize().width()) {
                    cut->push_back(place.data().toString().toStdString());
                }
            }
        }
        *looked = true;
        dialog->reject();
        poll->deleteLater();
    });
    poll->start(50);
    EXPECT_FALSE(windows.AskSaveFile(ConfigurationRequest(folder)).has_value());
    EXPECT_TRUE(*looked);
    EXPECT_TRUE(cut->empty()) << cut->front();
}

// With the operator's language, the file dialog's buttons and questions come in it; English again undoes it.
TEST_F(QtFixture, QtsOwnTextsFollowTheOperatorsLanguage) {
    const char* question = "%1 already exists.\nDo you want to replace it?";
    for (const char* code : {"fr", "it", "de"}) {
        windows.UseLanguage(code);
        EXPECT_NE(QCoreApplication::translate("QFileDialog", question), QString::fromLatin1(question)) << code;
    }
    windows.UseLanguage("fr");
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(WriteFileIn(folder, "site-3.kcf", QByteArray(681, 'k')));
    auto buttons = std::make_shared<QStringList>();
    auto size = std::make_shared<QString>();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        // The folder is read in the background: its file shows once it has been.
        auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (view == nullptr || view->model()->rowCount(view->rootIndex()) == 0) return;
        *size = view->model()->index(0, 1, view->rootIndex()).data().toString();
        QTest::qWait(200);
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->isVisible()) buttons->push_back(button->text());
        }
        dialog->grab().save(QStringLiteral(KELVANE_QT_TEST_OUTPUT "/save-dialog-french.png"));
        dialog->reject();
        poll->deleteLater();
    });
    poll->start(50);
    FileDialogRequest request = ConfigurationRequest(folder);
    request.title = "Choisir le nom de sauvegarde de la configuration";
    windows.AskSaveFile(request);
    EXPECT_TRUE(buttons->contains(QStringLiteral("&Enregistrer"))) << buttons->join(u',').toStdString();
    EXPECT_EQ(size->toStdString(), "681 octets") << "the size column in the machine's language";
    EXPECT_TRUE(buttons->contains(QStringLiteral("&Annuler")) || buttons->contains(QStringLiteral("Annuler")))
        << buttons->join(u',').toStdString();
    windows.UseLanguage("en");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", question), QString::fromLatin1(question));
}

TEST_F(QtFixture, CancelledOpenDialogGivesNothing) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    AnswerNextFileDialog(QString());
    EXPECT_FALSE(windows.AskOpenFile(ConfigurationRequest(folder)).has_value());
}

}  // namespace
}  // namespace kelvane::ui::test
