#include "tests/support/DelayingProxy.h"

#include "tests/support/LocalListener.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <deque>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kelvane::test {
namespace {

using Clock = std::chrono::steady_clock;
// How often the proxy looks at its stop flag and at what is due, at the least.
constexpr int kTickMs = 2;

// Bytes on their way one direction, each read with the time it is due at the far side.
struct Flight {
    int to;
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> pending;

    // Writes what is due; false when the far side is gone.
    bool Deliver(Clock::time_point now) {
        while (!pending.empty() && pending.front().first <= now) {
            const auto& bytes = pending.front().second;
            if (::send(to, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
                return false;
            pending.pop_front();
        }
        return true;
    }
};

}  // namespace

DelayingProxy::DelayingProxy(std::uint16_t serverPort, std::chrono::milliseconds delay)
    : serverPort_(serverPort), delay_(delay) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 1) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

DelayingProxy::~DelayingProxy() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
}

void DelayingProxy::Serve() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, kTickMs) <= 0) continue;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const int server = ConnectLocal(serverPort_);
        if (server >= 0) {
            Relay(client, server);
            ::close(server);
        }
        ::close(client);
    }
}

// Until either side closes, or the proxy stops: what one side sends waits its delay, then goes to the other.
void DelayingProxy::Relay(int client, int server) {
    std::array<Flight, 2> flights{Flight{server, {}}, Flight{client, {}}};
    std::array<pollfd, 2> sides{pollfd{client, POLLIN, 0}, pollfd{server, POLLIN, 0}};
    std::array<std::uint8_t, 4096> buffer{};
    while (!stopping_) {
        if (poll(sides.data(), sides.size(), kTickMs) < 0) return;
        const Clock::time_point now = Clock::now();
        for (std::size_t k = 0; k < sides.size(); ++k) {
            if ((sides[k].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            const ssize_t n = ::recv(sides[k].fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) return;
            flights[k].pending.emplace_back(now + delay_,
                                            std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n));
        }
        for (Flight& flight : flights) {
            if (!flight.Deliver(Clock::now())) return;
        }
    }
}

}  // namespace kelvane::test
