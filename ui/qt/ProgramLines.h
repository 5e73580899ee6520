#pragma once

#include <QString>
#include <string>

// The program ends its lines with CR LF; Qt's widgets end theirs with LF.
namespace kelvane::ui::qtback {

inline QString FromProgramLines(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

inline std::string ToProgramLines(QString text) { return text.replace(u'\n', QStringLiteral("\r\n")).toStdString(); }

}  // namespace kelvane::ui::qtback
