#pragma once

#include <chrono>

namespace kelvane {

// A wait that gives a hook its turn does so at least this often, so that a window stays answering.
constexpr std::chrono::milliseconds kWaitHookSlice{10};

// What the program's waits call again and again (a reply awaited on the line, a pause), so that a window
// system can keep its windows painting and answering meanwhile. It must never talk to the rack itself.
class WaitHook {
public:
    virtual ~WaitHook() = default;
    virtual void WhileWaiting() = 0;
};

}  // namespace kelvane
