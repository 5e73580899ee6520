#pragma once

#include <QIdentityProxyModel>

namespace kelvane::ui::qtback {

// The file dialog's size and date columns in the operator's language (QLocale's default, which UseLanguage sets):
// Qt's file model writes them in the machine's locale, whatever the program's language.
class FileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace kelvane::ui::qtback
