#pragma once

#include "ui/WindowSystem.h"

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace kelvane::ui::qtback {

// "Configuration (*.kcf)" as it is, or a bare name with its pattern added.
QString FileFilter(const FileDialogRequest& request);

// `path` with "." and `extension` added when its file name has no extension of its own.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

// The platform's file dialogs over `parent`; nothing when the operator cancels.
std::optional<std::string> AskOpenFile(QWidget* parent, const FileDialogRequest& request);
std::optional<std::string> AskSaveFile(QWidget* parent, const FileDialogRequest& request);

}  // namespace kelvane::ui::qtback
