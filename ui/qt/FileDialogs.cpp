#include "ui/qt/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace kelvane::ui::qtback {
namespace {

// A save dialog whose overwrite question is about the name the program will write, which may be longer than
// the one typed.
class SaveDialog final : public QFileDialog {
public:
    SaveDialog(QWidget* parent, std::function<std::string(const std::string&)> finalName)
        : QFileDialog(parent), finalName_(std::move(finalName)) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!finalName_ || chosen.isEmpty()) return QFileDialog::accept();
        const QString typed = QDir::toNativeSeparators(chosen.front());
        const QString final = QString::fromStdString(finalName_(typed.toStdString()));
        if (final == typed) {
            setOption(QFileDialog::DontConfirmOverwrite, false);
            return QFileDialog::accept();
        }
        // The typed name is not what will be written: only the final name can be overwritten.
        if (QFileInfo::exists(final) && !ConfirmOverwrite(final)) return;
        setOption(QFileDialog::DontConfirmOverwrite, true);
        QFileDialog::accept();
    }

private:
    bool ConfirmOverwrite(const QString& path) {
        // Qt's own words, so that the question reads as the dialog's other texts do in the operator's language.
        const QString question = QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                     .arg(QFileInfo(path).fileName());
        return QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    }

    std::function<std::string(const std::string&)> finalName_;
};

std::optional<std::string> Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

void Prepare(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setDirectory(QString::fromStdString(request.directory));
    dialog.setNameFilter(FileFilter(request));
}

}  // namespace

QString FileFilter(const FileDialogRequest& request) {
    QString filter = QString::fromStdString(request.filterName);
    const QString pattern = QString::fromStdString(request.pattern);
    if (!pattern.isEmpty() && !filter.contains(u'(')) filter = QStringLiteral("%1 (%2)").arg(filter, pattern);
    return filter;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty() || !QFileInfo(QString::fromStdString(path)).suffix().isEmpty()) return path;
    return path + "." + extension;
}

std::optional<std::string> AskOpenFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Run(dialog);
}

std::optional<std::string> AskSaveFile(QWidget* parent, const FileDialogRequest& request) {
    SaveDialog dialog(parent, request.finalName);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const auto chosen = Run(dialog);
    // Not every platform dialog honours the default suffix.
    return chosen ? std::optional(WithDefaultExtension(*chosen, request.defaultExtension)) : std::nullopt;
}

}  // namespace kelvane::ui::qtback
