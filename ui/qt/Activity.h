#pragma once

namespace kelvane::ui::qtback {

// Everything runs on the one user-interface thread, so who is at work can be told by counting: a scope of a kind
// marks that kind of work while it lives, and scopes of one kind may nest.
template <class Kind>
class ActivityScope {
public:
    ActivityScope() { ++depth_; }
    ~ActivityScope() { --depth_; }
    ActivityScope(const ActivityScope&) = delete;
    ActivityScope& operator=(const ActivityScope&) = delete;

    static bool Active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// Marks a dialog call of the program. Qt signals that fire meanwhile are the program's own doing and are not
// reported to handlers as operator actions.
using ProgramScope = ActivityScope<struct ProgramWork>;
inline bool ProgramAtWork() { return ProgramScope::Active(); }

// Marks a handler call. A dialog destroyed meanwhile must leave its widgets alive until Qt has finished
// delivering the event that led to the call.
using DispatchScope = ActivityScope<struct DispatchWork>;
inline bool Dispatching() { return DispatchScope::Active(); }

// Marks the window system's turn inside one of the program's waits: the program is in the middle of its work
// (an exchange on the line, a pause), so its timers and the operator's input wait until that work is done.
using WaitScope = ActivityScope<struct WaitWork>;
inline bool Waiting() { return WaitScope::Active(); }

}  // namespace kelvane::ui::qtback
