#include "ui/qt/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kelvane::ui::qtback {
namespace {

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
    QFileDialog dialog(parent);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const auto chosen = Run(dialog);
    // Not every platform dialog honours the default suffix.
    return chosen ? std::optional(WithDefaultExtension(*chosen, request.defaultExtension)) : std::nullopt;
}

}  // namespace kelvane::ui::qtback
