#include "platform/SystemClock.h"

#include <chrono>
#include <thread>

namespace kelvane {

std::uint64_t SystemClock::TickCount() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::time_t SystemClock::SystemSeconds() const {
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

void SystemClock::Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kelvane
