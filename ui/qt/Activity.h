#pragma once

namespace kelvane::ui::qtback {

// Everything runs on the one user-interface thread, so who is at work can be told by counting.

// Marks a dialog call of the program. Qt signals that fire meanwhile are the program's own doing and are not
// reported to handlers as operator actions.
class ProgramScope {
public:
    ProgramScope();
    ~ProgramScope();
    ProgramScope(const ProgramScope&) = delete;
    ProgramScope& operator=(const ProgramScope&) = delete;
};

bool ProgramAtWork();

// Marks a handler call. A dialog destroyed meanwhile must leave its widgets alive until Qt has finished
// delivering the event that led to the call.
class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

bool Dispatching();

// Marks the window system's turn inside one of the program's waits: the program is in the middle of its work
// (an exchange on the line, a pause), so its timers and the operator's input wait until that work is done.
class WaitScope {
public:
    WaitScope();
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

bool Waiting();

}  // namespace kelvane::ui::qtback
