#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelvane {

// Where watch --listen serves its metrics: an address (a loopback one unless the operator wrote another) and a
// port; 0 lets the system choose.
struct ListenAddress {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
};

// Reads "PORT", "HOST:PORT" or "[IPV6]:PORT". HOST is "localhost" or an address written out: a name could
// stand for any address, and a bind beyond this machine is made only where the operator wrote one. False with
// the reason.
bool ParseListenAddress(const std::string& text, ListenAddress& address, std::string& error);

// Whether this build can serve over HTTP (the Windows build cannot).
bool MetricsServerAvailable();

// Serves the latest metrics text at /metrics over HTTP, as Prometheus scrapes exporters, on a thread of its own;
// every other path is 404. The text is replaced as rounds end.
class MetricsServer {
public:
    MetricsServer();
    ~MetricsServer();

    // Binds and starts serving; false with the reason when the address cannot be had.
    bool Start(const ListenAddress& address, std::string& error);
    // The port bound, once started (the system's choice for port 0).
    std::uint16_t Port() const;
    void Publish(std::string text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelvane
