#pragma once

#include <optional>
#include <string>

namespace kelvane::ui {

enum class Event {
    Clicked,  // a button, check box or picture; a list with the row and column under the mouse
    DoubleClicked,  // a list box or list view, with the row and column hit (-1 when none)
    TextChanged,  // an edit's text changed, by the operator or by the program
    SelectionChanged,  // a combo or list box's current entry
    SliderMoved,  // a track bar while it is being dragged
    SliderReleased,  // a track bar's final position
    TimeChanged,  // a time picker
    FocusGained,
    FocusLost,
    RowStateChanged,  // a list view row was selected or deselected
    EndLabelEdit,  // a cell editor on a list view ended; `text` is absent when it was cancelled
};

struct Notification {
    int control = 0;
    Event event = Event::Clicked;
    int row = -1;
    int column = -1;
    std::optional<std::string> text;
    // The program itself caused it (for instance by setting an edit's text), not the operator.
    bool byProgram = false;
};

}  // namespace kelvane::ui
