#pragma once

#include "ui/Geometry.h"

#include <QFont>
#include <string>

namespace kelvane::ui::qtback {

// The templates name Windows faces. Where those are not installed, the metric-compatible Liberation Sans
// stands in, so that texts take the room the layouts were drawn for. Safe to call more than once.
void InstallFontSubstitutions();

// A template's font. Dialog-unit geometry is fixed in pixels, so the font is sized in pixels too: the em height
// that `points` has at 96 dpi.
QFont DialogFont(const std::string& face, int points);

// A program font. A positive pixel height is a Windows cell height (ascent plus descent); a negative one is an
// em height. No face or no height keeps that of `dialogFont`.
QFont ProgramFont(const Font& font, const QFont& dialogFont);

}  // namespace kelvane::ui::qtback
