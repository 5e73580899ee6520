#pragma once

#include "ui/WindowSystem.h"

namespace kelvane {

class CXmit;

// Starts the program: chooses the folder it works in (app/ApplicationFolder.h), takes the language from pref.txt there,
// and runs the main window until it is closed.
class CKelvaneApp {
public:
    CKelvaneApp(ui::WindowSystem& windows, CXmit& link) : windows_(windows), link_(link) {}

    // Returns when the main window has been closed.
    int Run();

private:
    ui::WindowSystem& windows_;
    CXmit& link_;
};

}  // namespace kelvane
