#include "ui/qt/QtWindowSystem.h"

#include "ui/qt/Beep.h"
#include "ui/qt/EventPump.h"
#include "ui/qt/FileDialogs.h"
#include "ui/qt/FocusFrame.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/KeyRouter.h"
#include "ui/qt/WindowPlaces.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelvane::ui {

QtWindowSystem::QtWindowSystem(Clock& clock)
    : keyRouter_(std::make_unique<qtback::KeyRouter>()),
      focusFrame_(std::make_unique<qtback::FocusFrame>()),
      pump_(std::make_unique<qtback::EventPump>()),
      pumpingClock_(std::make_unique<qtback::PumpingClock>(clock, *pump_)) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        qFatal("Kelvane's Qt window system needs a QApplication");
    }
    qtback::InstallFontSubstitutions();
    qApp->installEventFilter(keyRouter_.get());
}

QtWindowSystem::~QtWindowSystem() = default;

std::unique_ptr<Dialog> QtWindowSystem::CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                     Dialog* parent) {
    QtDialog* qtParent = parent != nullptr ? AsQtDialog(*parent, "CreateDialog") : nullptr;
    return std::make_unique<QtDialog>(dialogTemplate, handler, qtParent);
}

int QtWindowSystem::RunModal(Dialog& dialog) {
    QtDialog* qtDialog = AsQtDialog(dialog, "RunModal");
    return qtDialog != nullptr ? qtDialog->RunModal() : -1;
}

void QtWindowSystem::EndModal(Dialog& dialog, int result) {
    if (QtDialog* qtDialog = AsQtDialog(dialog, "EndModal")) qtDialog->EndModal(result);
}

WaitHook& QtWindowSystem::Waits() { return *pump_; }

void QtWindowSystem::GuardClose(const std::string& question) { pump_->GuardClose(QString::fromStdString(question)); }

void QtWindowSystem::SetProgramEnd(std::function<void()> end) { pump_->SetProgramEnd(std::move(end)); }

void QtWindowSystem::UseLanguage(const std::string& code) {
    if (qtTexts_) QCoreApplication::removeTranslator(qtTexts_.get());
    qtTexts_.reset();
    auto texts = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("qtbase_") + QString::fromStdString(code);
    // Sizes and dates in Qt's own dialogs follow the language too, not the machine's.
    QLocale::setDefault(QLocale(QString::fromStdString(code)));
    // English needs nothing; a language whose translations are not installed stays in English, with a word.
    if (code == "en") return;
    if (!texts->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qWarning("Kelvane: Qt's own texts in %s are not installed (%s)", code.c_str(), qPrintable(name));
        return;
    }
    QCoreApplication::installTranslator(texts.get());
    qtTexts_ = std::move(texts);
}

void QtWindowSystem::KeepWindowPlacesIn(const std::string& folder) {
    qtback::KeepWindowPlacesIn(QString::fromStdString(folder) + QStringLiteral("/kelvane.ini"));
}

void QtWindowSystem::BeginBusy() { pump_->BeginBusy(); }

void QtWindowSystem::EndBusy() { pump_->EndBusy(); }

void QtWindowSystem::Beep(unsigned frequencyHz, unsigned milliseconds) { qtback::Beep(frequencyHz, milliseconds); }

std::optional<std::string> QtWindowSystem::AskOpenFile(const FileDialogRequest& request) {
    return qtback::AskOpenFile(QApplication::activeWindow(), request);
}

std::optional<std::string> QtWindowSystem::AskSaveFile(const FileDialogRequest& request) {
    return qtback::AskSaveFile(QApplication::activeWindow(), request);
}

// The Qt the program runs with, which may be newer than the one it was built with.
std::string QtWindowSystem::ToolkitVersion() const { return std::string("Qt ") + qVersion(); }

QtDialog* QtWindowSystem::AsQtDialog(Dialog& dialog, const char* operation) {
    auto* qtDialog = dynamic_cast<QtDialog*>(&dialog);
    if (qtDialog == nullptr) qWarning("Kelvane %s: the dialog was not made by the Qt window system", operation);
    return qtDialog;
}

}  // namespace kelvane::ui
