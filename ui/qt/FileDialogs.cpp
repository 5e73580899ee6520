#include "ui/qt/FileDialogs.h"

#include "ui/qt/FileColumns.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QListView>
#include <QSpacerItem>
#include <QSplitter>
#include <algorithm>
#include <QTreeView>

namespace kelvane::ui::qtback {
namespace {

// The window manager draws a caption in the title bar beside its buttons; a box narrower than that cuts it.
constexpr int kTitleBarButtonsRoom = 140;
constexpr QSize kFileDialogSize{800, 480};
constexpr int kPlacesPadding = 40;  // the icon's margins, the frame and a scroll bar's width

void WidenForCaption(QMessageBox& box) {
    const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarButtonsRoom;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
}

// The detail view's columns as wide as their headings and contents, the name taking what is left.
void FitColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) return;
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

// The places on the left as wide as their longest name ("Ordinateur" rather than "Ordinat...").
void FitPlaces(QFileDialog& dialog) {
    auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (places == nullptr || splitter == nullptr || places->model() == nullptr || splitter->count() != 2) return;
    int widest = 0;
    for (int row = 0; row < places->model()->rowCount(); ++row) {
        const QString name = places->model()->index(row, 0).data().toString();
        widest = std::max(widest, places->fontMetrics().horizontalAdvance(name));
    }
    const int wanted = widest + places->iconSize().width() + kPlacesPadding;
    const int total = std::max(kFileDialogSize.width(), splitter->width());
    splitter->setSizes({wanted, total - wanted});
}

// A save dialog whose overwrite question is about the name the program will write, which may be longer than
// the one typed.
class SaveDialog final : public QFileDialog {
public:
    SaveDialog(QWidget* parent, std::function<std::string(const std::string&)> finalName)
        : QFileDialog(parent), finalName_(std::move(finalName)) {}

    // The dialog asks its own question, about the name that will be written, in a box wide enough for its
    // caption.
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty()) return QFileDialog::accept();
        const QString typed = QDir::toNativeSeparators(chosen.front());
        const QString final = finalName_ ? QString::fromStdString(finalName_(typed.toStdString())) : typed;
        const QFileInfo written(final);
        if (written.exists() && !written.isDir() && !ConfirmOverwrite(written.fileName())) return;
        setOption(QFileDialog::DontConfirmOverwrite, true);
        QFileDialog::accept();
    }

private:
    bool ConfirmOverwrite(const QString& fileName) {
        // Qt's own words, so that the question reads as the dialog's other texts do in the operator's language.
        const QString question = QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(fileName);
        QMessageBox box(QMessageBox::Warning, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        WidenForCaption(box);
        return box.exec() == QMessageBox::Yes;
    }

    std::function<std::string(const std::string&)> finalName_;
};

std::optional<std::string> Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

void Prepare(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new FileColumns(&dialog));
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setDirectory(QString::fromStdString(request.directory));
    dialog.setNameFilter(FileFilter(request));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(kFileDialogSize);
    FitColumns(dialog);
    FitPlaces(dialog);
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
