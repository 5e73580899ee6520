#include "ui/qt/WindowBars.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWidget>

namespace kelvane::ui::qtback {
namespace {

constexpr int kFieldMargin = 6;

}  // namespace

WindowBars::WindowBars(QWidget* window, QVBoxLayout& layout) : window_(window), layout_(&layout) {}

int WindowBars::Height() const {
    int height = 0;
    if (menuBar_ != nullptr) height += menuBar_->sizeHint().height();
    if (statusBar_ != nullptr) height += statusBar_->sizeHint().height();
    return height;
}

void WindowBars::SetMenus(const MenuBar& menus, std::function<void(int)> chosen) {
    if (menuBar_ == nullptr) {
        menuBar_ = new QMenuBar(window_);
        menuBar_->setObjectName(QStringLiteral("menu-bar"));
        layout_->setMenuBar(menuBar_);
    }
    menuBar_->clear();
    actions_.clear();
    for (const Menu& menu : menus) {
        QMenu* shown = menuBar_->addMenu(QString::fromStdString(menu.title));
        for (const MenuItem& item : menu.items) {
            if (item.separatorBefore) shown->addSeparator();
            QAction* action = shown->addAction(QString::fromStdString(item.text));
            action->setObjectName(QStringLiteral("menu-item-%1").arg(item.id));
            if (!item.shortcut.empty()) {
                action->setShortcut(
                    QKeySequence::fromString(QString::fromStdString(item.shortcut), QKeySequence::PortableText));
            }
            const int id = item.id;
            QObject::connect(action, &QAction::triggered, menuBar_, [chosen, id] { chosen(id); });
            actions_[id] = action;
        }
    }
    layout_->activate();
}

bool WindowBars::Enable(int itemId, bool enabled) {
    const auto found = actions_.find(itemId);
    if (found == actions_.end() || found->second == nullptr) return false;
    found->second->setEnabled(enabled);
    return true;
}

bool WindowBars::IsEnabled(int itemId) const {
    const auto found = actions_.find(itemId);
    return found != actions_.end() && found->second != nullptr && found->second->isEnabled();
}

void WindowBars::EnsureStatusBar() {
    if (statusBar_ != nullptr) return;
    statusBar_ = new QStatusBar(window_);
    statusBar_->setObjectName(QStringLiteral("status-bar"));
    // The window keeps its size: nothing to drag.
    statusBar_->setSizeGripEnabled(false);
    // As wide as the window, however long its texts: a field that does not fit is cut, and its hint shows it.
    statusBar_->setMinimumWidth(1);
    layout_->addWidget(statusBar_);
}

void WindowBars::SetStatusFields(const std::vector<std::string>& fields) {
    EnsureStatusBar();
    while (fields_.size() > fields.size()) {
        delete fields_.back().data();
        fields_.pop_back();
    }
    while (fields_.size() < fields.size()) {
        auto* label = new QLabel(statusBar_);
        label->setObjectName(QStringLiteral("status-field-%1").arg(fields_.size()));
        label->setContentsMargins(kFieldMargin, 0, kFieldMargin, 0);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(1);
        statusBar_->addWidget(label);
        fields_.emplace_back(label);
    }
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (fields_[k] == nullptr) continue;
        fields_[k]->setText(QString::fromStdString(fields[k]));
        fields_[k]->setToolTip(QString::fromStdString(fields[k]));
        fields_[k]->setVisible(!fields[k].empty());
    }
    layout_->activate();
}

}  // namespace kelvane::ui::qtback
