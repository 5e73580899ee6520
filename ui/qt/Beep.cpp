#include "ui/qt/Beep.h"

#ifdef _WIN32
// Kept to this file: <windows.h> defines macros, CreateDialog among them, that clash with the layer's names.
#include <windows.h>
#else
#include <QApplication>
#endif

namespace kelvane::ui::qtback {

void Beep(unsigned frequencyHz, unsigned milliseconds) {
#ifdef _WIN32
    ::Beep(frequencyHz, milliseconds);
#else
    static_cast<void>(frequencyHz);
    static_cast<void>(milliseconds);
    QApplication::beep();
#endif
}

}  // namespace kelvane::ui::qtback
