// watch --listen: /metrics over HTTP through Debian's cpp-httplib. The Windows build has no such library and
// refuses the option instead.

#include "tools/watch/MetricsServer.h"

#include <charconv>
#include <mutex>
#include <thread>

#ifdef KELVANE_WITH_HTTP
#include <httplib.h>
#endif

namespace kelvane {
namespace {

// A scrape is one small GET: one worker answers it, and nothing a client sends may be large.
constexpr std::size_t kMaxRequestBodyBytes = 1024;
constexpr const char* kMetricsType = "text/plain; version=0.0.4; charset=utf-8";

bool IsAddressLiteral(const std::string& host) {
    if (host.find(':') != std::string::npos) return true;  // IPv6, written out
    int dots = 0;
    for (const char c : host) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return false;
    }
    return dots == 3;
}

}  // namespace

bool ParseListenAddress(const std::string& text, ListenAddress& address, std::string& error) {
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? std::string("127.0.0.1") : text.substr(0, colon);
    const std::string digits = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.empty() || host == "localhost") host = "127.0.0.1";
    unsigned port = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || port > 65535) {
        error = "--listen wants [HOST:]PORT with a port from 0 to 65535, not '" + text + "'";
        return false;
    }
    if (!IsAddressLiteral(host)) {
        error =
            "--listen: write the address to serve on (127.0.0.1, or the interface's own), not the name '" + host + "'";
        return false;
    }
    address = {host, static_cast<std::uint16_t>(port)};
    return true;
}

#ifdef KELVANE_WITH_HTTP

struct MetricsServer::Impl {
    httplib::Server server;
    std::thread serving;
    std::mutex mutex;
    std::string text;
    int port = 0;
};

MetricsServer::MetricsServer() : impl_(std::make_unique<Impl>()) {
    impl_->server.new_task_queue = [] { return new httplib::ThreadPool(1); };
    impl_->server.set_payload_max_length(kMaxRequestBodyBytes);
    impl_->server.Get("/metrics", [impl = impl_.get()](const httplib::Request&, httplib::Response& response) {
        std::lock_guard lock(impl->mutex);
        response.set_content(impl->text, kMetricsType);
    });
}

MetricsServer::~MetricsServer() {
    impl_->server.stop();
    if (impl_->serving.joinable()) impl_->serving.join();
}

bool MetricsServerAvailable() { return true; }

bool MetricsServer::Start(const ListenAddress& address, std::string& error) {
    impl_->port = address.port == 0 ? impl_->server.bind_to_any_port(address.host)
                                    : (impl_->server.bind_to_port(address.host, address.port) ? address.port : -1);
    if (impl_->port <= 0) {
        error = "--listen: cannot serve on " + address.host + " port " + std::to_string(address.port) +
                " (in use, or not an address of this machine)";
        return false;
    }
    impl_->serving = std::thread([impl = impl_.get()] { impl->server.listen_after_bind(); });
    return true;
}

std::uint16_t MetricsServer::Port() const { return static_cast<std::uint16_t>(impl_->port); }

void MetricsServer::Publish(std::string text) {
    std::lock_guard lock(impl_->mutex);
    impl_->text = std::move(text);
}

#else

struct MetricsServer::Impl {};

MetricsServer::MetricsServer() = default;
MetricsServer::~MetricsServer() = default;

bool MetricsServerAvailable() { return false; }

bool MetricsServer::Start(const ListenAddress&, std::string& error) {
    error = "--listen is not available in this build (no HTTP library for it); use --prometheus FILE";
    return false;
}

std::uint16_t MetricsServer::Port() const { return 0; }
void MetricsServer::Publish(std::string) {}

#endif

}  // namespace kelvane
