#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace kelvane::test {

// A far line in front of a TCP server on 127.0.0.1: every byte, either way, reaches the other side `delay`
// after it came, in order. One connection at a time, as a serial server takes them; each one it accepts is
// passed on to a new connection to the server.
class DelayingProxy {
public:
    DelayingProxy(std::uint16_t serverPort, std::chrono::milliseconds delay);
    ~DelayingProxy();
    DelayingProxy(const DelayingProxy&) = delete;
    DelayingProxy& operator=(const DelayingProxy&) = delete;

    // The port it listens on, 0 when it could not listen.
    std::uint16_t Port() const { return port_; }

private:
    void Serve();
    void Relay(int client, int server);

    std::uint16_t serverPort_;
    std::chrono::milliseconds delay_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace kelvane::test
