#include "ui/qt/Fonts.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace kelvane::ui::qtback {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;
constexpr int kMeasuringEm = 1000;

int EmForCellHeight(const QFont& face, int cellHeight) {
    QFont measured = face;
    measured.setPixelSize(kMeasuringEm);
    const QFontMetricsF metrics(measured);
    const qreal cellPerEm = (metrics.ascent() + metrics.descent()) / kMeasuringEm;
    if (cellPerEm <= 0) return cellHeight;
    return std::max(1, static_cast<int>(std::lround(cellHeight / cellPerEm)));
}

}  // namespace

void InstallFontSubstitutions() {
    const QString stand = QStringLiteral("Liberation Sans");
    for (const char* face : {"Microsoft Sans Serif", "MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Arial"}) {
        const QString name = QString::fromLatin1(face);
        if (!QFont::substitutes(name).contains(stand)) QFont::insertSubstitution(name, stand);
    }
}

QFont DialogFont(const std::string& face, int points) {
    QFont font(QString::fromStdString(face));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * double{kDotsPerInch} / kPointsPerInch))));
    return font;
}

QFont ProgramFont(const Font& font, const QFont& dialogFont) {
    QFont result = dialogFont;
    if (font.face != nullptr && font.face[0] != '\0') result.setFamily(QString::fromUtf8(font.face));
    // Windows weights are the OpenType scale that Qt uses too; 0 means "any".
    if (font.weight > 0) result.setWeight(static_cast<QFont::Weight>(std::min(font.weight, 1000)));
    if (font.pixelHeight > 0) result.setPixelSize(EmForCellHeight(result, font.pixelHeight));
    if (font.pixelHeight < 0) result.setPixelSize(-font.pixelHeight);
    return result;
}

}  // namespace kelvane::ui::qtback
