#include "platform/HostLookup.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kelvane {
namespace {

addrinfo* Resolve(const std::string& host, const std::string& service, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) return nullptr;
    return list;
}

// What the look-up thread and the waiting caller share; whoever leaves last frees it.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    AddressList addresses;
};

}  // namespace

HostLookup LookUpHost(const std::string& host, std::uint16_t port, std::chrono::milliseconds bound, WaitHook* hook) {
    const std::string service = std::to_string(port);
    HostLookup lookup;
    lookup.addresses.reset(Resolve(host, service, AI_NUMERICHOST));
    if (lookup.addresses) return lookup;

    auto pending = std::make_shared<PendingLookup>();
    std::thread([pending, host, service] {
        AddressList found(Resolve(host, service, 0));
        const std::lock_guard lock(pending->mutex);
        pending->addresses = std::move(found);
        pending->done = true;
        pending->finished.notify_all();
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::unique_lock lock(pending->mutex);
    // In slices when a window waits with us; the hook runs without the lock, which the look-up needs to end.
    while (!pending->done) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            lookup.timedOut = true;
            return lookup;
        }
        const auto until = hook != nullptr ? std::min(deadline, now + kWaitHookSlice) : deadline;
        if (pending->finished.wait_until(lock, until, [&] { return pending->done; })) break;
        if (hook == nullptr) continue;
        lock.unlock();
        hook->WhileWaiting();
        lock.lock();
    }
    lookup.addresses = std::move(pending->addresses);
    return lookup;
}

}  // namespace kelvane
